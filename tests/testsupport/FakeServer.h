#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QUrl>

#include <chrono>
#include <functional>
#include <optional>

class QSslServer;
class QSslSocket;

namespace vorno {
struct CloudClientOptions;
}

// An HTTPS server on 127.0.0.1 with a certificate from TestCertificates. Each
// test scripts the answers and reads back exactly what the client sent.
class FakeServer : public QObject
{
    Q_OBJECT
public:
    struct Request
    {
        QByteArray method;
        QByteArray target; // path and query, as sent
        QList<std::pair<QByteArray, QByteArray>> headers;
        QByteArray body;

        [[nodiscard]] QByteArray header(const QByteArray &name) const; // case-insensitive; null when absent
        [[nodiscard]] bool hasHeader(const QByteArray &name) const;
        [[nodiscard]] QByteArray path() const;
        [[nodiscard]] QByteArray query() const;
    };

    struct Reply
    {
        int status = 200;
        QByteArray body;
        QList<std::pair<QByteArray, QByteArray>> headers;
        bool stall = false;        // never answer
        qint64 dropAfter = -1;     // close the connection after this many body bytes
        std::chrono::milliseconds trickle {0}; // send the body one byte per interval
        bool hangUp = false;       // close the connection without a byte of answer
    };

    using Handler = std::function<Reply(const Request &)>;

    explicit FakeServer(QObject *parent = nullptr);
    ~FakeServer() override;

    [[nodiscard]] QUrl origin() const; // https://127.0.0.1:<port>
    // Options for a client that trusts this server's certificate.
    [[nodiscard]] static vorno::CloudClientOptions clientOptions();
    [[nodiscard]] quint16 port() const;

    // Answers every request; the default answers 404.
    void setHandler(Handler handler);
    // Answers requests in turn from `replies`, then 404.
    void setReplies(QList<Reply> replies);

    [[nodiscard]] const QList<Request> &requests() const { return m_requests; }

    static Reply json(int status, const QByteArray &body);

Q_SIGNALS:
    void received();

private:
    void serve(QSslSocket *socket);

    QSslServer *m_server;
    Handler m_handler;
    QList<Request> m_requests;
};
Q_DECLARE_METATYPE(FakeServer::Reply)
