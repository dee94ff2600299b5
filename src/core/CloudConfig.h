#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

namespace vorno {

// Where the storage project lives and its public key, handed out by the service.
struct CloudConfig
{
    QUrl url;
    QString publishableKey; // kept only in memory

    // Throws DecodingError for a body that is not a configuration, and
    // CloudError(invalid) for one whose URL is not plain https (no user part,
    // query or fragment).
    [[nodiscard]] static CloudConfig fromJson(const QByteArray &json);

    friend bool operator==(const CloudConfig &, const CloudConfig &) = default;
};

} // namespace vorno
