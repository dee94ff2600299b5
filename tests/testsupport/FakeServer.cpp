#include "FakeServer.h"

#include "services/CloudClient.h"

#include "TestCertificates.h"

#include <QSslConfiguration>
#include <QSslServer>
#include <QSslSocket>
#include <QTimer>

#include <stdexcept>

QByteArray FakeServer::Request::header(const QByteArray &name) const
{
    for (const auto &[key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

bool FakeServer::Request::hasHeader(const QByteArray &name) const
{
    return std::any_of(headers.cbegin(), headers.cend(),
                       [&name](const auto &pair) { return pair.first.compare(name, Qt::CaseInsensitive) == 0; });
}

QByteArray FakeServer::Request::path() const
{
    const qsizetype question = target.indexOf('?');
    return question < 0 ? target : target.left(question);
}

QByteArray FakeServer::Request::query() const
{
    const qsizetype question = target.indexOf('?');
    return question < 0 ? QByteArray() : target.mid(question + 1);
}

FakeServer::FakeServer(QObject *parent) : QObject(parent), m_server(new QSslServer(this))
{
    const TestCertificates &certificates = TestCertificates::instance();
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(certificates.server);
    tls.setPrivateKey(certificates.serverKey);
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    m_server->setSslConfiguration(tls);
    setHandler({});
    connect(m_server, &QTcpServer::pendingConnectionAvailable, this, [this] {
        while (QTcpSocket *socket = m_server->nextPendingConnection())
            serve(static_cast<QSslSocket *>(socket));
    });
    if (!m_server->listen(QHostAddress(QStringLiteral("127.0.0.1")), 0))
        throw std::runtime_error("fake server cannot listen");
}

FakeServer::~FakeServer() = default;

QUrl FakeServer::origin() const
{
    return QUrl(QStringLiteral("https://127.0.0.1:%1").arg(port()));
}

vorno::CloudClientOptions FakeServer::clientOptions()
{
    vorno::CloudClientOptions options;
    options.extraAuthorities = {TestCertificates::instance().authority};
    return options;
}

quint16 FakeServer::port() const
{
    return m_server->serverPort();
}

void FakeServer::setHandler(Handler handler)
{
    m_handler = handler ? std::move(handler) : [](const Request &) { return Reply {404, {}, {}}; };
}

void FakeServer::setReplies(QList<Reply> replies)
{
    auto queue = std::make_shared<QList<Reply>>(std::move(replies));
    setHandler([queue](const Request &) {
        if (queue->isEmpty())
            return Reply {404, {}, {}};
        return queue->takeFirst();
    });
}

FakeServer::Reply FakeServer::json(int status, const QByteArray &body)
{
    return {status, body, {{"Content-Type", "application/json"}}};
}

void FakeServer::serve(QSslSocket *socket)
{
    socket->setParent(this);
    auto buffer = std::make_shared<QByteArray>();
    connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QIODevice::readyRead, this, [this, socket, buffer] {
        buffer->append(socket->readAll());
        const qsizetype end = buffer->indexOf("\r\n\r\n");
        if (end < 0)
            return;
        Request request;
        const QList<QByteArray> lines = buffer->left(end).split('\n');
        const QList<QByteArray> start = lines.value(0).trimmed().split(' ');
        request.method = start.value(0);
        request.target = start.value(1);
        qint64 length = 0;
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QByteArray line = lines[i].trimmed();
            const qsizetype colon = line.indexOf(':');
            if (colon <= 0)
                continue;
            request.headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
            if (line.left(colon).trimmed().compare("content-length", Qt::CaseInsensitive) == 0)
                length = line.mid(colon + 1).trimmed().toLongLong();
        }
        if (buffer->size() < end + 4 + length)
            return;
        request.body = buffer->mid(end + 4, length);
        buffer->clear();
        m_requests.append(request);
        const Reply reply = m_handler(request);
        Q_EMIT received();
        if (reply.stall)
            return;
        if (reply.hangUp) {
            socket->abort();
            return;
        }

        QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.status) + " Scripted\r\nConnection: close\r\n";
        for (const auto &[name, value] : reply.headers)
            head += name + ": " + value + "\r\n";
        head += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
        head += "\r\n";
        socket->write(head);
        if (reply.dropAfter >= 0) {
            socket->write(reply.body.left(reply.dropAfter));
            socket->flush();
            socket->abort();
            return;
        }
        if (reply.trickle.count() > 0) {
            auto *timer = new QTimer(socket);
            connect(timer, &QTimer::timeout, socket, [socket, timer, body = reply.body, sent = qsizetype(0)]() mutable {
                if (sent < body.size()) {
                    socket->write(body.mid(sent++, 1));
                    return;
                }
                timer->stop();
                socket->disconnectFromHost();
            });
            timer->start(reply.trickle);
            return;
        }
        socket->write(reply.body);
        socket->disconnectFromHost();
    });
}
