#pragma once

#include "BuildConstants.h"
#include "core/CloudConfig.h"
#include "services/CloudTransport.h"

#include <QObject>
#include <QSslCertificate>
#include <QUrl>

#include <chrono>
#include <optional>

namespace vorno {

class HttpSession;

struct CloudClientOptions
{
    std::chrono::milliseconds requestTimeout = std::chrono::seconds(25);
    std::chrono::milliseconds fileTimeout = std::chrono::seconds(75);
    QList<QSslCertificate> extraAuthorities; // trusted besides the system store; tests only
};

// The application's only HTTP client for the account: the service's native API
// on the web origin and the storage project's auth endpoints.
class CloudClient : public QObject, public CloudTransport
{
    Q_OBJECT
public:
    explicit CloudClient(QUrl origin = QUrl(QString::fromLatin1(build::webOrigin)),
                         CloudClientOptions options = CloudClientOptions(), QObject *parent = nullptr);
    ~CloudClient() override;

    [[nodiscard]] const QUrl &origin() const { return m_origin; }

    // The storage configuration, fetched once and kept for the life of the
    // process; nothing is kept after a failure.
    [[nodiscard]] QCoro::Task<CloudConfig> config();

    QCoro::Task<CloudSession> exchange(QString code, QString verifier) override;
    QCoro::Task<CloudSession> refresh(CloudSession session) override;
    QCoro::Task<QString> owner(CloudSession session) override;
    QCoro::Task<> save(PendingWork pending, CloudSession session) override;
    QCoro::Task<> revoke(CloudSession session) override;
    QCoro::Task<EncouragementState> encouragement(CloudSession session) override;
    QCoro::Task<EncouragementClaim> claimEncouragement(CloudSession session) override;
    QCoro::Task<QByteArray> fileRequest(QString path, QString method, std::optional<QByteArray> body,
                                        CloudSession session) override;

    // Whether `path` and `method` may be sent by fileRequest.
    [[nodiscard]] static bool isAllowedFileRequest(const QString &path, const QString &method);

    struct Request;

private:
    [[nodiscard]] QCoro::Task<CloudSession> token(QString grant, QList<std::pair<QString, QString>> body);
    [[nodiscard]] QCoro::Task<QByteArray> call(Request request);

    QUrl m_origin;
    CloudClientOptions m_options;
    HttpSession *m_transport;
    std::optional<CloudConfig> m_cachedConfig;
};

} // namespace vorno
