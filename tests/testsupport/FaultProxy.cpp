#include "FaultProxy.h"

#include <QTcpSocket>
#include <QTimer>

struct FaultProxy::Connection
{
    QTcpSocket *client = nullptr;
    QTcpSocket *server = nullptr;
    qsizetype record = 0;
    qint64 toServer = 0;
    qint64 toClient = 0;
    bool struck = false;
    QByteArray trickled; // answer bytes still to go out one a second
    QTimer *trickle = nullptr;
    QTimer *patience = nullptr;
};

FaultProxy::FaultProxy(const QHostAddress &address, quint16 targetPort, QObject *parent)
    : QObject(parent), m_address(address), m_targetPort(targetPort)
{
    m_clock.start();
    connect(&m_server, &QTcpServer::newConnection, this, &FaultProxy::accept);
    m_server.listen(address, 0);
}

FaultProxy::~FaultProxy()
{
    while (!m_connections.isEmpty())
        finish(m_connections.first(), false);
}

void FaultProxy::accept()
{
    while (QTcpSocket *client = m_server.nextPendingConnection()) {
        auto *connection = new Connection;
        connection->client = client;
        connection->server = new QTcpSocket(this);
        connection->record = m_records.size();
        m_records.append(Record {m_planner ? m_planner() : Plan {}});
        m_connections.append(connection);
        connect(client, &QTcpSocket::disconnected, this, [this, connection] { finish(connection, true); });
        connect(connection->server, &QTcpSocket::connected, this, [this, connection] {
            connect(connection->client, &QTcpSocket::readyRead, this, [this, connection] { pump(connection); });
            pump(connection);
        });
        connect(connection->server, &QTcpSocket::readyRead, this, [this, connection] { pump(connection); });
        connect(connection->server, &QTcpSocket::disconnected, this, [this, connection] {
            // A stalled or trickling client is left to find out for itself.
            if (!connection->struck)
                connection->client->disconnectFromHost();
        });
        connection->server->connectToHost(m_address, m_targetPort);
        // The stalled handshake: the client's hello never goes through.
        const Plan plan = m_records.last().plan;
        if (plan.fault == Fault::stallRequest && plan.after == 0)
            strike(connection);
    }
}

void FaultProxy::pump(Connection *connection)
{
    const Plan plan = m_records[connection->record].plan;
    const auto forward = [this, connection, plan](QTcpSocket *from, QTcpSocket *to, qint64 &count, bool request) {
        const bool affected = request ? (plan.fault == Fault::cutRequest || plan.fault == Fault::stallRequest)
                                      : (plan.fault == Fault::cutAnswer || plan.fault == Fault::stallAnswer
                                         || plan.fault == Fault::trickleAnswer);
        const QByteArray bytes = from->readAll();
        if (bytes.isEmpty())
            return true;
        if (connection->struck) {
            if (!request && plan.fault == Fault::trickleAnswer)
                connection->trickled += bytes;
            return true; // a stall swallows what comes
        }
        const qint64 passing = affected ? std::min<qint64>(bytes.size(), plan.after - count) : bytes.size();
        to->write(bytes.first(qsizetype(passing)));
        count += passing;
        if (request)
            m_bytesToServer += passing;
        if (passing == bytes.size())
            return true;
        if (plan.fault == Fault::cutRequest || plan.fault == Fault::cutAnswer) {
            m_records[connection->record].struck = m_clock.elapsed();
            finish(connection, false);
            return false;
        }
        strike(connection);
        if (plan.fault == Fault::trickleAnswer)
            connection->trickled += bytes.sliced(qsizetype(passing));
        return true;
    };
    if (forward(connection->client, connection->server, connection->toServer, true))
        forward(connection->server, connection->client, connection->toClient, false);
}

void FaultProxy::strike(Connection *connection)
{
    connection->struck = true;
    m_records[connection->record].struck = m_clock.elapsed();
    connection->patience = new QTimer(this);
    connection->patience->setSingleShot(true);
    connect(connection->patience, &QTimer::timeout, this, [this, connection] {
        m_records[connection->record].abandoned = true;
        finish(connection, false);
    });
    connection->patience->start(int(m_patience));
    if (m_records[connection->record].plan.fault != Fault::trickleAnswer)
        return;
    connection->trickle = new QTimer(this);
    connect(connection->trickle, &QTimer::timeout, this, [connection] {
        if (connection->trickled.isEmpty())
            return;
        connection->client->write(connection->trickled.first(1));
        connection->trickled.remove(0, 1);
    });
    connection->trickle->start(1000);
}

void FaultProxy::finish(Connection *connection, bool clientLeft)
{
    if (!m_connections.removeOne(connection))
        return;
    Record &record = m_records[connection->record];
    if (clientLeft || record.closed < 0)
        record.closed = m_clock.elapsed();
    for (QTcpSocket *socket : {connection->client, connection->server}) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
    delete connection->trickle;
    delete connection->patience;
    delete connection;
}
