#include "services/CloudClient.h"

#include "core/CloudError.h"
#include "core/FileCollectionError.h"
#include "core/JsonCoding.h"
#include "core/RawUrl.h"
#include "core/Text.h"
#include "core/WebUrl.h"
#include "services/HttpSession.h"

#include <QNetworkRequest>
#include <QPointer>

namespace vorno {

namespace {

struct Owner
{
    QString ownerId;
};

struct Failure
{
    std::optional<QString> error;
};

} // namespace

namespace json {
template<>
struct Coding<Owner>
{
    static Owner read(const Reader &json) { return {json.string("ownerId")}; }
};
template<>
struct Coding<Failure>
{
    static Failure read(const Reader &json) { return {json.optionalString("error")}; }
};
} // namespace json

namespace {

using Headers = QList<std::pair<QByteArray, QByteArray>>;

const QByteArray claimBody = R"({"channel":"mac"})";

const QStringList allowedFilePaths {
    QStringLiteral("/api/native/files"),
    QStringLiteral("/api/first-drop"),
    QStringLiteral("/api/first-drop/preflight/uploads"),
    QStringLiteral("/api/imports"),
    QStringLiteral("/api/imports/complete"),
    QStringLiteral("/api/imports/process"),
};
const QString preflightUploadPrefix = QStringLiteral("/api/first-drop/preflight/uploads/");

QByteArray bearer(const CloudSession &session)
{
    return "Bearer " + session.access_token.toUtf8();
}

QByteArray stringObject(const QList<std::pair<QString, QString>> &members)
{
    json::Writer writer;
    for (const auto &[key, value] : members)
        writer.set(key.toUtf8().constData(), value);
    return writer.bytes();
}

// Every answer but a file request's.
void checkStatus(const HttpSession::Answer &answer, const QUrl &url)
{
    const int status = answer.status;
    if (status == 0)
        throw CloudError(CloudFailure::unavailable);
    if (status == 401 || status == 403)
        throw CloudError(CloudFailure::authentication);
    // A rejected code, verifier or refresh token.
    if (status == 400 && url.path().endsWith(u"/token"))
        throw CloudError(CloudFailure::authentication);
    if (status == 409)
        throw CloudError(CloudFailure::changed);
    if (status < 200 || status > 299)
        throw CloudError(CloudFailure::unavailable);
}

} // namespace

struct CloudClient::Request
{
    QUrl url;
    QByteArray method;
    std::optional<QByteArray> body;
    Headers headers;
};

namespace {

CloudClient::Request get(QUrl url, Headers headers = {})
{
    return {std::move(url), QByteArrayLiteral("GET"), std::nullopt, std::move(headers)};
}

CloudClient::Request post(QUrl url, std::optional<QByteArray> body, Headers headers = {})
{
    return {std::move(url), QByteArrayLiteral("POST"), std::move(body), std::move(headers)};
}

Headers authorized(const CloudSession &session)
{
    return {{QByteArrayLiteral("authorization"), bearer(session)}};
}

Headers withOwner(Headers headers, const CloudSession &session)
{
    headers.append({QByteArrayLiteral("x-vorno-owner"), session.user.id.toUtf8()});
    return headers;
}

Headers withKey(Headers headers, const CloudConfig &config)
{
    headers.append({QByteArrayLiteral("apikey"), config.publishableKey.toUtf8()});
    return headers;
}

} // namespace

CloudClient::CloudClient(QUrl origin, CloudClientOptions options, QObject *parent)
    : QObject(parent), m_origin(std::move(origin)), m_options(std::move(options)),
      m_transport(new HttpSession(m_options.extraAuthorities, this))
{
}

CloudClient::~CloudClient() = default;

QCoro::Task<QByteArray> CloudClient::call(Request request)
{
    QNetworkRequest outgoing(request.url);
    outgoing.setRawHeader(QByteArrayLiteral("content-type"), QByteArrayLiteral("application/json"));
    for (const auto &[name, value] : request.headers)
        outgoing.setRawHeader(name, value);
    const HttpSession::Answer answer
        = co_await m_transport->send(outgoing, request.method, std::move(request.body), m_options.requestTimeout);
    checkStatus(answer, request.url);
    co_return answer.body;
}

namespace {

// Requests are built outside the coroutines: g++ 12 cannot keep string
// literals of an expression alive across co_await.
const QString configPath = QStringLiteral("api/native/config");
const QString exchangePath = QStringLiteral("api/native/exchange");
const QString sessionPath = QStringLiteral("api/native/session");
const QString capturesPath = QStringLiteral("api/captures");
const QString encouragementPath = QStringLiteral("api/encouragement");
const QString tokenPath = QStringLiteral("auth/v1/token");
const QString logoutPath = QStringLiteral("auth/v1/logout");
const QString nativeCodePrefix = QStringLiteral("vm1_");

CloudClient::Request tokenRequest(const CloudConfig &storage, const QString &grant,
                                  const QList<std::pair<QString, QString>> &body)
{
    const QUrl url
        = WebUrl::withQuery(WebUrl::appending(storage.url, tokenPath), {{QStringLiteral("grant_type"), grant}});
    return post(url, stringObject(body), withKey({}, storage));
}

CloudClient::Request revokeRequest(const CloudConfig &storage, const CloudSession &session)
{
    const QUrl url = WebUrl::withQuery(WebUrl::appending(storage.url, logoutPath),
                                       {{QStringLiteral("scope"), QStringLiteral("local")}});
    return post(url, std::nullopt, withKey(authorized(session), storage));
}

CloudClient::Request nativeExchangeRequest(const QUrl &origin, const QString &code, const QString &verifier)
{
    return post(WebUrl::appending(origin, exchangePath),
                stringObject({{QStringLiteral("code"), code}, {QStringLiteral("verifier"), verifier}}));
}

QList<std::pair<QString, QString>> pkceBody(const QString &code, const QString &verifier)
{
    return {{QStringLiteral("auth_code"), code}, {QStringLiteral("code_verifier"), verifier}};
}

QList<std::pair<QString, QString>> refreshBody(const CloudSession &session)
{
    return {{QStringLiteral("refresh_token"), session.refresh_token}};
}

} // namespace

QCoro::Task<CloudConfig> CloudClient::config()
{
    // An explicit copy: QCoro 0.8 moves from a non-const lvalue given to co_return,
    // which would empty the cache.
    if (m_cachedConfig)
        co_return CloudConfig(*m_cachedConfig);
    const QPointer guard(this);
    const QByteArray body = co_await call(get(WebUrl::appending(m_origin, configPath)));
    CloudConfig config = CloudConfig::fromJson(body);
    // Two overlapping first calls may both fetch; the last to finish is kept.
    if (guard)
        m_cachedConfig = config;
    co_return config;
}

QCoro::Task<CloudSession> CloudClient::token(QString grant, QList<std::pair<QString, QString>> body)
{
    const QPointer guard(this);
    const CloudConfig storage = co_await config();
    if (!guard)
        throw CloudError(CloudFailure::unavailable);
    const QByteArray answer = co_await call(tokenRequest(storage, grant, body));
    co_return CloudSession::fromJson(answer);
}

QCoro::Task<CloudSession> CloudClient::exchange(QString code, QString verifier)
{
    if (code.startsWith(nativeCodePrefix)) {
        const QByteArray answer = co_await call(nativeExchangeRequest(m_origin, code, verifier));
        co_return CloudSession::fromJson(answer);
    }
    co_return co_await token(QStringLiteral("pkce"), pkceBody(code, verifier));
}

QCoro::Task<CloudSession> CloudClient::refresh(CloudSession session)
{
    CloudSession renewed = co_await token(QStringLiteral("refresh_token"), refreshBody(session));
    if (renewed.user.id != session.user.id)
        throw CloudError(CloudFailure::authentication);
    co_return renewed;
}

QCoro::Task<QString> CloudClient::owner(CloudSession session)
{
    const QByteArray answer = co_await call(get(WebUrl::appending(m_origin, sessionPath), authorized(session)));
    const Owner owner = json::decode<Owner>(answer);
    if (owner.ownerId != session.user.id)
        throw CloudError(CloudFailure::authentication);
    co_return owner.ownerId;
}

QCoro::Task<> CloudClient::save(PendingWork pending, CloudSession session)
{
    if (pending.ownerId != session.user.id)
        throw CloudError(CloudFailure::authentication);
    co_await call(post(WebUrl::appending(m_origin, capturesPath), pending.body(), authorized(session)));
}

QCoro::Task<> CloudClient::revoke(CloudSession session)
{
    const QPointer guard(this);
    const CloudConfig storage = co_await config();
    if (!guard)
        throw CloudError(CloudFailure::unavailable);
    co_await call(revokeRequest(storage, session));
}

QCoro::Task<EncouragementState> CloudClient::encouragement(CloudSession session)
{
    const QByteArray answer = co_await call(get(WebUrl::appending(m_origin, encouragementPath), authorized(session)));
    co_return EncouragementState::fromJson(answer);
}

QCoro::Task<EncouragementClaim> CloudClient::claimEncouragement(CloudSession session)
{
    const QByteArray answer = co_await call(
        post(WebUrl::appending(m_origin, encouragementPath), claimBody, withOwner(authorized(session), session)));
    co_return EncouragementClaim::fromJson(answer);
}

bool CloudClient::isAllowedFileRequest(const QString &path, const QString &method)
{
    const std::optional<RawUrl> reference = RawUrl::parseReference(path);
    if (!reference || !reference->scheme.isEmpty() || reference->host || reference->fragment)
        return false;
    const bool knownPath = allowedFilePaths.contains(reference->path)
        || (reference->path.startsWith(preflightUploadPrefix)
            && Text::isUuid(QStringView(reference->path).sliced(preflightUploadPrefix.size())));
    const bool knownMethod = method == u"GET" || method == u"POST" || method == u"DELETE";
    return knownPath && knownMethod;
}

QCoro::Task<QByteArray> CloudClient::fileRequest(QString path, QString method, std::optional<QByteArray> body,
                                                 CloudSession session)
{
    if (!isAllowedFileRequest(path, method))
        throw CloudError(CloudFailure::invalid);

    QString originHeader = m_origin.toString(QUrl::FullyEncoded);
    while (originHeader.startsWith(u'/'))
        originHeader.remove(0, 1);
    while (originHeader.endsWith(u'/'))
        originHeader.chop(1);

    QNetworkRequest outgoing(m_origin.resolved(QUrl(path, QUrl::StrictMode)));
    outgoing.setRawHeader(QByteArrayLiteral("content-type"), QByteArrayLiteral("application/json"));
    for (const auto &[name, value] : withOwner(authorized(session), session))
        outgoing.setRawHeader(name, value);
    outgoing.setRawHeader(QByteArrayLiteral("origin"), originHeader.toUtf8());
    const HttpSession::Answer answer
        = co_await m_transport->send(outgoing, method.toLatin1(), std::move(body), m_options.fileTimeout);

    if (answer.status == 0)
        throw CloudError(CloudFailure::unavailable);
    if (answer.status == 401)
        throw CloudError(CloudFailure::authentication);
    if (answer.status >= 200 && answer.status <= 299)
        co_return answer.body;

    QString code = QString::fromLatin1(FileCollectionCode::cloudUnavailable);
    try {
        if (const std::optional<QString> error = json::decode<Failure>(answer.body).error)
            code = *error;
    } catch (const DecodingError &) {
        // Not the service's error shape: keep the generic code.
    }
    throw FileCollectionError(FileCollectionFailure::server(code));
}

} // namespace vorno
