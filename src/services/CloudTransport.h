#pragma once

#include "core/CloudSession.h"
#include "core/EncouragementClaim.h"
#include "core/EncouragementState.h"
#include "core/PendingWork.h"

#include <QByteArray>
#include <QString>

#include <QCoro/QCoroTask>

#include <optional>

namespace vorno {

// The cloud operations the stores call. Failures are CloudError; transport and
// decoding errors pass through as their own types.
class CloudTransport
{
public:
    virtual ~CloudTransport() = default;

    [[nodiscard]] virtual QCoro::Task<CloudSession> exchange(QString code, QString verifier) = 0;
    [[nodiscard]] virtual QCoro::Task<CloudSession> refresh(CloudSession session) = 0;
    [[nodiscard]] virtual QCoro::Task<QString> owner(CloudSession session) = 0;
    [[nodiscard]] virtual QCoro::Task<> save(PendingWork pending, CloudSession session) = 0;
    [[nodiscard]] virtual QCoro::Task<> revoke(CloudSession session) = 0;
    [[nodiscard]] virtual QCoro::Task<EncouragementState> encouragement(CloudSession session) = 0;
    [[nodiscard]] virtual QCoro::Task<EncouragementClaim> claimEncouragement(CloudSession session) = 0;
    // Throws FileCollectionError for answers outside 200-299 (but 401).
    [[nodiscard]] virtual QCoro::Task<QByteArray> fileRequest(QString path, QString method,
                                                              std::optional<QByteArray> body, CloudSession session)
        = 0;
};

} // namespace vorno
