#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkAccessManager>
#include <QSslCertificate>

#include <QCoro/QCoroTask>

#include <chrono>
#include <optional>

class QNetworkRequest;

namespace vorno {

// The one way this application speaks HTTP: an ephemeral session that never
// follows a redirect (a 3xx is the answer), never stores or sends a cookie and
// never caches, with a per-request time-out that is told apart from a
// cancellation.
class HttpSession : public QNetworkAccessManager
{
    Q_OBJECT
public:
    static constexpr qint64 defaultAnswerLimit = 8 * 1024 * 1024;
    // No answer of the service or the storage needs more.
    static constexpr qsizetype maximumHeaderCount = 100;
    static constexpr qint64 maximumHeaderBytes = 64 * 1024;

    struct Answer
    {
        int status = 0; // 0: not an HTTP answer
        QByteArray body;
        QList<std::pair<QByteArray, QByteArray>> headers;

        [[nodiscard]] QByteArray header(const QByteArray &name) const; // case-insensitive
    };

    // `extraAuthorities` are trusted in addition to the system's CA store; only
    // tests pass any.
    explicit HttpSession(QList<QSslCertificate> extraAuthorities = {}, QObject *parent = nullptr);

    // Sends one request and waits for the whole answer, at most `timeout` in
    // all. Throws CloudError(invalid) for a header value with a control
    // character, before anything is sent; TransportError when no HTTP answer
    // arrives in time, or when the headers or the body grow past their limits.
    [[nodiscard]] QCoro::Task<Answer> send(QNetworkRequest request, QByteArray method, std::optional<QByteArray> body,
                                           std::chrono::milliseconds timeout, qint64 answerLimit = defaultAnswerLimit);
    // As send(), without a body, for a request that makes something on the
    // server: it goes out at most once. Qt sends a request again on a new
    // connection when the old one closes before the answer starts, and the
    // first may already have made its thing; here that ends in a network error.
    [[nodiscard]] QCoro::Task<Answer> sendOnce(QNetworkRequest request, QByteArray method,
                                               std::chrono::milliseconds timeout);

protected:
    QNetworkReply *createRequest(Operation operation, const QNetworkRequest &request, QIODevice *outgoingData) override;

private:
    [[nodiscard]] QCoro::Task<Answer> answerOf(QNetworkReply *started, std::chrono::milliseconds timeout,
                                               qint64 answerLimit);

    QList<QSslCertificate> m_authorities;
};

} // namespace vorno
