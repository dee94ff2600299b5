#include "PrivateSessionBus.h"

#include "StopProcess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QThread>

PrivateSessionBus::PrivateSessionBus() : m_previousAddress(qgetenv("DBUS_SESSION_BUS_ADDRESS"))
{
    endWithParent(m_bus);
    endWithParent(m_keyring);
    m_bus.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                 QStringLiteral("--print-address=1")});
    if (!m_bus.waitForStarted(10000) || !m_bus.waitForReadyRead(10000)) {
        m_error = QStringLiteral("dbus-daemon did not start: ") + m_bus.errorString();
        return;
    }
    m_address = m_bus.readLine().trimmed();
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_address);
}

PrivateSessionBus::~PrivateSessionBus()
{
    stopProcess(m_keyring);
    stopProcess(m_bus);
    if (m_previousAddress.isNull())
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    else
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_previousAddress);
}

bool PrivateSessionBus::startKeyring()
{
    if (!isRunning())
        return false;
    const QString home = m_home.path();
    QDir(home).mkpath(QStringLiteral("data"));
    QDir(home).mkpath(QStringLiteral("run"));
    QFile::setPermissions(home + QStringLiteral("/run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString::fromUtf8(m_address));
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home + QStringLiteral("/run"));
    m_keyring.setProcessEnvironment(environment);
    m_keyring.setProcessChannelMode(QProcess::MergedChannels);
    m_keyring.start(QStringLiteral("gnome-keyring-daemon"),
                    {QStringLiteral("--foreground"), QStringLiteral("--components=secrets"), QStringLiteral("--unlock")});
    if (!m_keyring.waitForStarted(10000)) {
        m_error = QStringLiteral("gnome-keyring-daemon did not start: ") + m_keyring.errorString();
        return false;
    }
    // --unlock reads the new login keyring's password from standard input.
    m_keyring.write("test-password");
    m_keyring.waitForBytesWritten(5000); // no event loop runs here to do it for us
    m_keyring.closeWriteChannel();

    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 10000) {
        QProcess probe;
        probe.setProcessEnvironment(environment);
        probe.start(QStringLiteral("dbus-send"), {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                                                   QStringLiteral("--dest=org.freedesktop.DBus"),
                                                   QStringLiteral("/org/freedesktop/DBus"),
                                                   QStringLiteral("org.freedesktop.DBus.ListNames")});
        probe.waitForFinished(5000);
        if (probe.readAll().contains("org.freedesktop.secrets"))
            return true;
        if (m_keyring.state() != QProcess::Running)
            break;
        QThread::msleep(50);
    }
    m_error = QStringLiteral("the keyring did not appear on the bus: ") + QString::fromUtf8(m_keyring.readAll());
    return false;
}
