#include "services/HttpSession.h"

#include "services/TransportError.h"

#include "core/CloudError.h"
#include "core/Text.h"

#include <QCoro/QCoroSignal>
#include <QIODevice>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QSslConfiguration>
#include <QTimer>

namespace vorno {

namespace {

// Refuses every cookie in both directions.
class NoCookies : public QNetworkCookieJar
{
public:
    using QNetworkCookieJar::QNetworkCookieJar;

    QList<QNetworkCookie> cookiesForUrl(const QUrl &) const override { return {}; }
    bool setCookiesFromUrl(const QList<QNetworkCookie> &, const QUrl &) override { return false; }
};

// An empty body that cannot be rewound: Qt rewinds a body before it sends a
// request again, so a request carrying this one is never sent twice.
class OneShotBody : public QIODevice
{
public:
    explicit OneShotBody(QObject *parent) : QIODevice(parent) { open(QIODevice::ReadOnly); }

    bool reset() override { return false; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64) override { return -1; }
};

// Every value from an answer of the service ends up in a request: a line break
// would let it add headers of its own.
void refuseControlCharacters(const QNetworkRequest &request)
{
    for (const QByteArray &name : request.rawHeaderList()) {
        if (Text::hasControlCharacter(name) || Text::hasControlCharacter(request.rawHeader(name)))
            throw CloudError(CloudFailure::invalid);
    }
}

} // namespace

QByteArray HttpSession::Answer::header(const QByteArray &name) const
{
    for (const auto &[key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

HttpSession::HttpSession(QList<QSslCertificate> extraAuthorities, QObject *parent)
    : QNetworkAccessManager(parent), m_authorities(std::move(extraAuthorities))
{
    setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    setCookieJar(new NoCookies(this));
    setCache(nullptr);
}

QNetworkReply *HttpSession::createRequest(Operation operation, const QNetworkRequest &original, QIODevice *outgoingData)
{
    // Enforced here, for every request, so no caller can forget one.
    QNetworkRequest request = original;
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::AuthenticationReuseAttribute, QNetworkRequest::Manual);
    if (!m_authorities.isEmpty()) {
        QSslConfiguration tls = request.sslConfiguration();
        tls.addCaCertificates(m_authorities);
        request.setSslConfiguration(tls);
    }
    return QNetworkAccessManager::createRequest(operation, request, outgoingData);
}

QCoro::Task<HttpSession::Answer> HttpSession::send(QNetworkRequest request, QByteArray method,
                                                   std::optional<QByteArray> body, std::chrono::milliseconds timeout,
                                                   qint64 answerLimit)
{
    refuseControlCharacters(request);
    request.setTransferTimeout(int(timeout.count()));
    // HEAD and plain GET go through their own operations so that Qt knows what
    // kind of answer to expect (a HEAD answer has no body, whatever it says).
    QNetworkReply *started = nullptr;
    if (method == "HEAD" && !body)
        started = head(request);
    else if (method == "GET" && !body)
        started = get(request);
    else
        started = body ? sendCustomRequest(request, method, *body) : sendCustomRequest(request, method);
    co_return co_await answerOf(started, timeout, answerLimit);
}

QCoro::Task<HttpSession::Answer> HttpSession::sendOnce(QNetworkRequest request, QByteArray method,
                                                       std::chrono::milliseconds timeout)
{
    refuseControlCharacters(request);
    request.setTransferTimeout(int(timeout.count()));
    // Read as it goes rather than copied first, or Qt would rewind its copy.
    request.setHeader(QNetworkRequest::ContentLengthHeader, 0);
    request.setAttribute(QNetworkRequest::DoNotBufferUploadDataAttribute, true);
    auto *body = new OneShotBody(nullptr);
    QNetworkReply *started = sendCustomRequest(request, method, body);
    body->setParent(started);
    co_return co_await answerOf(started, timeout, defaultAnswerLimit);
}

QCoro::Task<HttpSession::Answer> HttpSession::answerOf(QNetworkReply *started, std::chrono::milliseconds timeout,
                                                       qint64 answerLimit)
{
    const QPointer<QNetworkReply> reply(started);

    static constexpr char overLimit[] = "vorno_overLimit";
    QObject::connect(started, &QNetworkReply::downloadProgress, started,
                     [started, answerLimit](qint64 received, qint64 total) {
                         if (received > answerLimit || total > answerLimit) {
                             started->setProperty(overLimit, true);
                             started->abort();
                         }
                     });
    // The transfer time-out only measures silence; a server that trickles a
    // byte now and then must not hold a request open for longer in all.
    QTimer::singleShot(timeout, started, [started] { started->abort(); });

    if (!started->isFinished())
        co_await qCoro(started, &QNetworkReply::finished);
    if (!reply)
        throw TransportError(TransportError::Kind::cancelled);
    reply->deleteLater();

    if (reply->property(overLimit).toBool())
        throw TransportError(TransportError::Kind::tooLarge);

    // Errors below 200 are the connection's own (refused, reset, time-out, TLS,
    // proxy): whatever status arrived before, the answer is not whole.
    const QNetworkReply::NetworkError error = reply->error();
    if (error == QNetworkReply::TimeoutError || error == QNetworkReply::OperationCanceledError) {
        // The transfer time-out aborts the reply itself, the overall deadline
        // through abort(); the size limits are handled above. An abort in the
        // TLS handshake leaves Qt's socket open, stalled, for the next request
        // to wait on: the connections go with it.
        clearConnectionCache();
        throw TransportError(TransportError::Kind::timeout, error);
    }
    // A request Qt would have sent again fails as the connection that closed.
    if ((error != QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied)
        || error == QNetworkReply::ContentReSendError)
        throw TransportError(TransportError::Kind::network, error);

    Answer answer;
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid())
        co_return answer; // finished, but not over HTTP
    answer.status = status.toInt();
    answer.headers = reply->rawHeaderPairs();
    qint64 headerBytes = 0;
    for (const auto &[name, value] : answer.headers)
        headerBytes += name.size() + value.size();
    if (answer.headers.size() > maximumHeaderCount || headerBytes > maximumHeaderBytes)
        throw TransportError(TransportError::Kind::tooLarge);
    answer.body = reply->readAll();
    if (answer.body.size() > answerLimit)
        throw TransportError(TransportError::Kind::tooLarge);
    co_return answer;
}

} // namespace vorno
