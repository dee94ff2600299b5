#pragma once

#include <QElapsedTimer>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTcpServer>

#include <functional>

class QTcpSocket;

// A TCP proxy on loopback in front of one port, blind to the TLS it carries.
// Each new connection gets the next fault of a plan: none, the request or the
// answer cut after some bytes, a stall (at byte 0 of the request: a stalled TLS
// handshake), or the answer trickled at one byte a second.
class FaultProxy : public QObject
{
    Q_OBJECT
public:
    enum class Fault { none, cutRequest, cutAnswer, stallRequest, stallAnswer, trickleAnswer };
    struct Plan
    {
        Fault fault = Fault::none;
        qint64 after = 0; // bytes of the affected direction that pass first
    };
    // What happened to one connection. Times are milliseconds since the proxy began.
    struct Record
    {
        Plan plan;
        qint64 struck = -1; // when the fault began, -1: never
        qint64 closed = -1; // when the client went away, -1: still open
        bool abandoned = false; // the proxy gave up on a client that never left
    };

    // Listens on `address` (port 0: any) and forwards to `address`:`targetPort`.
    FaultProxy(const QHostAddress &address, quint16 targetPort, QObject *parent = nullptr);
    ~FaultProxy() override;

    [[nodiscard]] quint16 port() const { return m_server.serverPort(); }
    // Asked once per new connection; none by default.
    void setPlanner(std::function<Plan()> planner) { m_planner = std::move(planner); }
    // A stalled or trickled client still there after this long is cut off.
    void setPatience(qint64 milliseconds) { m_patience = milliseconds; }
    [[nodiscard]] const QList<Record> &records() const { return m_records; }
    [[nodiscard]] qint64 bytesToServer() const { return m_bytesToServer; }

private:
    struct Connection;
    void accept();
    void pump(Connection *connection);
    void strike(Connection *connection);
    void finish(Connection *connection, bool clientLeft);

    QTcpServer m_server;
    QHostAddress m_address;
    quint16 m_targetPort;
    std::function<Plan()> m_planner;
    qint64 m_patience = 60000;
    QElapsedTimer m_clock;
    QList<Record> m_records;
    QList<Connection *> m_connections;
    qint64 m_bytesToServer = 0;
};
