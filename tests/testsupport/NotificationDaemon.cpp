#include "NotificationDaemon.h"

#include "StopProcess.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

namespace {

const QString serverName = QStringLiteral("org.freedesktop.Notifications");

} // namespace

NotificationDaemon::NotificationDaemon()
{
    // A plain configuration: long timeouts, so nothing expires while a test looks.
    const QString config = m_config.path() + QStringLiteral("/dunstrc");
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)
        || file.write("[global]\n    monitor = 0\n    follow = none\n    history_length = 50\n"
                      "[urgency_normal]\n    timeout = 600\n[urgency_low]\n    timeout = 600\n")
            < 0) {
        m_error = QStringLiteral("cannot write the dunst configuration");
        return;
    }
    file.close();
    endWithParent(m_process);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(QStringLiteral("dunst"), {QStringLiteral("-config"), config});
    if (!m_process.waitForStarted(10000)) {
        m_error = QStringLiteral("dunst did not start: ") + m_process.errorString();
        return;
    }
    // Own connection: the application's session-bus connection is not made yet.
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("dunst-probe"));
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 10000 && m_process.state() == QProcess::Running) {
        if (bus.interface() && bus.interface()->isServiceRegistered(serverName))
            break;
        QThread::msleep(20);
    }
    const bool registered = bus.interface() && bus.interface()->isServiceRegistered(serverName);
    QDBusConnection::disconnectFromBus(QStringLiteral("dunst-probe"));
    if (!registered)
        m_error = QStringLiteral("dunst did not take the bus name: ") + QString::fromUtf8(m_process.readAll());
}

NotificationDaemon::~NotificationDaemon()
{
    stopProcess(m_process);
}

bool NotificationDaemon::control(const QStringList &arguments, QByteArray *output)
{
    QProcess dunstctl;
    dunstctl.start(QStringLiteral("dunstctl"), arguments);
    if (!dunstctl.waitForFinished(10000) || dunstctl.exitCode() != 0)
        return false;
    if (output)
        *output = dunstctl.readAllStandardOutput();
    return true;
}

QJsonArray NotificationDaemon::received()
{
    // dunst lists only closed notifications in its history: close them first.
    QByteArray history;
    if (!control({QStringLiteral("close-all")}) || !control({QStringLiteral("history")}, &history))
        return {};
    const QJsonArray groups = QJsonDocument::fromJson(history).object().value(u"data").toArray();
    return groups.isEmpty() ? QJsonArray() : groups.first().toArray();
}

int NotificationDaemon::shown()
{
    QByteArray count;
    return control({QStringLiteral("count"), QStringLiteral("displayed")}, &count) ? count.trimmed().toInt() : 0;
}

bool NotificationDaemon::clickNewest()
{
    return control({QStringLiteral("action"), QStringLiteral("0")});
}
