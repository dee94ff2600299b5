#include "SoftwareTpm.h"

#include "FreePort.h"
#include "StopProcess.h"

#include <QElapsedTimer>
#include <QTcpSocket>
#include <QThread>

SoftwareTpm::SoftwareTpm()
{
    // Ports are chosen just before use; another process taking one in between
    // shows as a start failure, so try a few times.
    for (int attempt = 0; attempt < 5 && m_tcti.isEmpty(); ++attempt) {
        // The swtpm TCTI expects the control channel on the next port up.
        const quint16 port = freePort();
        const quint16 control = port + 1;
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        endWithParent(m_process);
        m_process.start(QStringLiteral("swtpm"),
                        {QStringLiteral("socket"), QStringLiteral("--tpm2"), QStringLiteral("--tpmstate"),
                         QStringLiteral("dir=") + m_state.path(), QStringLiteral("--server"),
                         QStringLiteral("type=tcp,port=%1,bindaddr=127.0.0.1").arg(port), QStringLiteral("--ctrl"),
                         QStringLiteral("type=tcp,port=%1,bindaddr=127.0.0.1").arg(control), QStringLiteral("--flags"),
                         QStringLiteral("not-need-init,startup-clear")});
        if (!m_process.waitForStarted(10000)) {
            m_error = QStringLiteral("swtpm did not start: ") + m_process.errorString();
            return;
        }
        QElapsedTimer waited;
        waited.start();
        while (m_process.state() == QProcess::Running && waited.elapsed() < 10000) {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, port);
            if (socket.waitForConnected(200)) {
                m_tcti = QStringLiteral("swtpm:host=127.0.0.1,port=%1").arg(port).toUtf8();
                break;
            }
            QThread::msleep(20);
        }
        if (m_tcti.isEmpty()) {
            m_error = QString::fromUtf8(m_process.readAll());
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
}

std::optional<QByteArray> SoftwareTpm::tool(const QString &name, const QStringList &arguments,
                                            const QString &directory, bool mayFail) const
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TPM2TOOLS_TCTI"), QString::fromUtf8(m_tcti));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(directory);
    process.start(name, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        if (!mayFail)
            qWarning() << name << arguments << process.readAllStandardError();
        return std::nullopt;
    }
    return process.readAllStandardOutput();
}

SoftwareTpm::~SoftwareTpm()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
}
