#include "services/NativeFileClient.h"

#include "core/CloudError.h"
#include "core/FileCollectionError.h"
#include "services/CloudClient.h"
#include "services/HttpSession.h"
#include "services/TusAnswer.h"

#include <QJsonDocument>
#include <QJsonParseError>
#include <QNetworkRequest>

#include <memory>

namespace vorno {

namespace {

const QByteArray tusVersion = QByteArrayLiteral("1.0.0");

[[noreturn]] void unavailable()
{
    throw FileCollectionError(FileCollectionFailure::unavailable());
}

QNetworkRequest uploadRequest(const QUrl &url, const CloudSession &session)
{
    QNetworkRequest request(url);
    request.setRawHeader(QByteArrayLiteral("authorization"), "Bearer " + session.access_token.toUtf8());
    request.setRawHeader(QByteArrayLiteral("Tus-Resumable"), tusVersion);
    return request;
}

// A PATCH answered 409 after the server took the bytes (a request Qt sent
// again on a new connection) is followed by one HEAD; more in a row mean the
// server does not keep what it confirms.
constexpr int maximumResyncs = 3;

} // namespace

NativeFileClient::NativeFileClient(CloudClient *api, NativeFileClientOptions options, QObject *parent)
    : QObject(parent), m_api(api), m_options(std::move(options)),
      m_transport(new HttpSession(m_options.extraAuthorities, this))
{
}

NativeFileClient::~NativeFileClient() = default;

CloudClient *NativeFileClient::api() const
{
    return m_api;
}

QCoro::Task<QJsonObject> NativeFileClient::json(QString path, QString method, std::optional<QJsonObject> value,
                                                CloudSession session)
{
    if (!m_api)
        throw CloudError(CloudFailure::unavailable);
    std::optional<QByteArray> body;
    if (value)
        body = QJsonDocument(*value).toJson(QJsonDocument::Compact);
    const QByteArray answer
        = co_await m_api->fileRequest(std::move(path), std::move(method), std::move(body), std::move(session));
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(answer, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        throw CloudError(CloudFailure::invalid);
    co_return document.object();
}

QUrl NativeFileClient::endpoint(const CloudConfig &config) const
{
    const QUrl &project = config.url;
    const QString host = project.host();
    if (project.scheme() != u"https" || m_options.projectHostSuffix.isEmpty()
        || !host.endsWith(m_options.projectHostSuffix) || host.size() == m_options.projectHostSuffix.size())
        throw CloudError(CloudFailure::invalid);
    QUrl endpoint = project;
    endpoint.setHost(host.chopped(m_options.projectHostSuffix.size()) + m_options.directHostSuffix);
    endpoint.setPath(uploadPath);
    endpoint.setQuery(QString()); // a null string removes the query, not just empties it
    endpoint.setFragment(QString());
    if (!endpoint.isValid() || endpoint.host().isEmpty())
        throw CloudError(CloudFailure::invalid);
    return endpoint;
}

QByteArray NativeFileClient::metadata(const QString &bucket, const QString &path, const QString &contentType)
{
    // Already in ascending key order.
    return "bucketName " + bucket.toUtf8().toBase64() + ",cacheControl " + QByteArray("0").toBase64() + ",contentType "
        + contentType.toUtf8().toBase64() + ",objectName " + path.toUtf8().toBase64();
}

QCoro::Task<> NativeFileClient::upload(QByteArray bytes, QString bucket, QString path, QString contentType,
                                       std::optional<QUrl> previous, CloudSession session, Checkpoint checkpoint,
                                       Progress progress, StillOwner stillOwner, std::stop_token stop)
{
    Upload job {std::move(bytes),       std::move(bucket),     std::move(path),
                std::move(contentType), std::move(session),    std::move(checkpoint),
                std::move(progress),    std::move(stillOwner), std::move(stop)};
    const QPointer guard(this);
    const bool expired = co_await attempt(job, previous);
    // The server dropped the saved upload: start once more with a new one.
    if (expired && guard)
        co_await attempt(job, std::nullopt);
}

QCoro::Task<bool> NativeFileClient::attempt(Upload job, std::optional<QUrl> previous)
{
    const QPointer guard(this);
    if (!m_api)
        throw CloudError(CloudFailure::unavailable);
    const CloudConfig config = co_await m_api->config();
    if (!guard)
        throw CloudError(CloudFailure::unavailable);
    const QUrl target = endpoint(config);

    if (!job.path.startsWith(job.session.user.id + u'/') || job.path.contains(u"..")
        || (job.bucket != paidBucket && job.bucket != freeBucket) || !job.stillOwner())
        throw CloudError(CloudFailure::invalid);

    QUrl address;
    if (previous) {
        if (!TusAnswer::isUpload(*previous, target))
            throw CloudError(CloudFailure::invalid);
        address = *previous;
    } else {
        QNetworkRequest create = uploadRequest(target, job.session);
        create.setRawHeader(QByteArrayLiteral("Upload-Length"), QByteArray::number(job.bytes.size()));
        create.setRawHeader(QByteArrayLiteral("Upload-Metadata"), metadata(job.bucket, job.path, job.contentType));
        // A creation sent twice would leave an orphan upload, so it goes out
        // once, on a connection of its own: a stale kept-alive one would fail it
        // for nothing.
        const std::unique_ptr<HttpSession> fresh = std::make_unique<HttpSession>(m_options.extraAuthorities);
        const HttpSession::Answer created
            = co_await fresh->sendOnce(create, QByteArrayLiteral("POST"), m_options.timeout);
        if (!guard)
            throw CloudError(CloudFailure::unavailable);
        const std::optional<QUrl> made
            = TusAnswer::created(created.status, created.header(QByteArrayLiteral("Location")), target);
        if (!job.stillOwner() || !made)
            unavailable();
        address = *made;
        job.checkpoint(address);
    }

    const HttpSession::Answer head = co_await m_transport->send(
        uploadRequest(address, job.session), QByteArrayLiteral("HEAD"), std::nullopt, m_options.timeout);
    if (!guard)
        throw CloudError(CloudFailure::unavailable);
    if ((head.status == 404 || head.status == 410) && previous)
        co_return true;
    const qint64 total = job.bytes.size();
    const std::optional<qint64> reported
        = TusAnswer::offset(head.status, head.header(QByteArrayLiteral("Upload-Offset")), total);
    if (!job.stillOwner() || !reported)
        unavailable();

    qint64 offset = *reported;
    int resyncs = 0;
    while (offset < total) {
        if (!job.stillOwner() || job.stop.stop_requested())
            throw CloudError(CloudFailure::authentication);
        const qint64 end = std::min(offset + chunkSize, total);
        // A view into the caller's bytes: no chunk is copied.
        const QByteArray chunk = QByteArray::fromRawData(job.bytes.constData() + offset, qsizetype(end - offset));
        QNetworkRequest patch = uploadRequest(address, job.session);
        patch.setRawHeader(QByteArrayLiteral("content-type"), QByteArrayLiteral("application/offset+octet-stream"));
        patch.setRawHeader(QByteArrayLiteral("Upload-Offset"), QByteArray::number(offset));
        const HttpSession::Answer sent
            = co_await m_transport->send(patch, QByteArrayLiteral("PATCH"), chunk, m_options.timeout);
        if (!guard)
            throw CloudError(CloudFailure::unavailable);
        if (!job.stillOwner())
            unavailable();
        if (sent.status == 409 && ++resyncs <= maximumResyncs) {
            const HttpSession::Answer again = co_await m_transport->send(
                uploadRequest(address, job.session), QByteArrayLiteral("HEAD"), std::nullopt, m_options.timeout);
            if (!guard)
                throw CloudError(CloudFailure::unavailable);
            const std::optional<qint64> resumed
                = TusAnswer::offset(again.status, again.header(QByteArrayLiteral("Upload-Offset")), total);
            if (!job.stillOwner() || !resumed)
                unavailable();
            offset = *resumed;
            job.progress(offset);
            continue;
        }
        if (!TusAnswer::confirms(sent.status, sent.header(QByteArrayLiteral("Upload-Offset")), end))
            unavailable();
        resyncs = 0;
        offset = end;
        job.progress(offset);
    }
    co_return false;
}

} // namespace vorno
