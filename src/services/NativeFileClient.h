#pragma once

#include "BuildConstants.h"
#include "core/CloudConfig.h"
#include "core/CloudSession.h"

#include <QByteArray>
#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QSslCertificate>
#include <QUrl>

#include <QCoro/QCoroTask>

#include <chrono>
#include <functional>
#include <optional>
#include <stop_token>

namespace vorno {

class CloudClient;
class HttpSession;

struct NativeFileClientOptions
{
    QString projectHostSuffix = QString::fromLatin1(build::storageProjectHostSuffix);
    QString directHostSuffix = QString::fromLatin1(build::directStorageHostSuffix);
    std::chrono::milliseconds timeout = std::chrono::seconds(75);
    QList<QSslCertificate> extraAuthorities; // trusted besides the system store; tests only
};

// The network side of file collection: JSON requests about files through the
// cloud client, and the files' bytes into storage with TUS 1.0.0 resumable
// uploads on a session of its own.
class NativeFileClient : public QObject
{
    Q_OBJECT
public:
    static constexpr qsizetype chunkSize = 6 * 1024 * 1024;
    static inline const QString uploadPath = QStringLiteral("/storage/v1/upload/resumable");
    static inline const QString paidBucket = QStringLiteral("career-sources");
    static inline const QString freeBucket = QStringLiteral("first-free-preflight");

    using Checkpoint = std::function<void(const QUrl &)>;
    using Progress = std::function<void(qint64)>;
    using StillOwner = std::function<bool()>;

    NativeFileClient(CloudClient *api, NativeFileClientOptions options = NativeFileClientOptions(),
                     QObject *parent = nullptr);
    ~NativeFileClient() override;

    [[nodiscard]] CloudClient *api() const;

    // A file request with an optional JSON object as body; the answer must be a
    // JSON object (else CloudError(invalid)).
    [[nodiscard]] QCoro::Task<QJsonObject> json(QString path, QString method, std::optional<QJsonObject> value,
                                                CloudSession session);

    // The upload endpoint on the project's direct storage host. Throws
    // CloudError(invalid) for a configuration that is not https on a host of the
    // storage project.
    [[nodiscard]] QUrl endpoint(const CloudConfig &config) const;

    // Uploads `bytes` as `path` in `bucket`, resuming at `previous` when given.
    // `checkpoint` gets the new address before any byte is sent, `progress` the
    // confirmed offset after each chunk; `stillOwner` is asked before the first
    // request, after every answer and before every chunk.
    [[nodiscard]] QCoro::Task<> upload(QByteArray bytes, QString bucket, QString path, QString contentType,
                                       std::optional<QUrl> previous, CloudSession session, Checkpoint checkpoint,
                                       Progress progress, StillOwner stillOwner, std::stop_token stop = {});

    // The Upload-Metadata header value for these four pairs, sorted by key.
    [[nodiscard]] static QByteArray metadata(const QString &bucket, const QString &path, const QString &contentType);

private:
    struct Upload
    {
        QByteArray bytes;
        QString bucket;
        QString path;
        QString contentType;
        CloudSession session;
        Checkpoint checkpoint;
        Progress progress;
        StillOwner stillOwner;
        std::stop_token stop;
    };

    // One try; true when the saved upload `previous` has expired on the server.
    [[nodiscard]] QCoro::Task<bool> attempt(Upload job, std::optional<QUrl> previous);

    QPointer<CloudClient> m_api;
    NativeFileClientOptions m_options;
    HttpSession *m_transport;
};

} // namespace vorno
