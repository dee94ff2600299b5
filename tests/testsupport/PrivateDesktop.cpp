#include "PrivateDesktop.h"

PrivateDesktop::PrivateDesktop(QSize size)
    : Desktop(Kind::openbox, size), m_previousDisplay(qgetenv("DISPLAY")),
      m_ownRuntime(!qEnvironmentVariableIsSet("XDG_RUNTIME_DIR"))
{
    // Qt's X platform and the desktop's clients want a runtime directory.
    if (m_ownRuntime)
        qputenv("XDG_RUNTIME_DIR", environment().value(QStringLiteral("XDG_RUNTIME_DIR")).toLocal8Bit());
    if (isRunning())
        qputenv("DISPLAY", environment().value(QStringLiteral("DISPLAY")).toLocal8Bit());
}

PrivateDesktop::~PrivateDesktop()
{
    if (m_previousDisplay.isNull())
        qunsetenv("DISPLAY");
    else
        qputenv("DISPLAY", m_previousDisplay);
    if (m_ownRuntime)
        qunsetenv("XDG_RUNTIME_DIR");
}

bool PrivateDesktop::run(const QString &program, const QStringList &arguments) const
{
    QProcess client;
    client.setProcessEnvironment(environment());
    client.setProcessChannelMode(QProcess::ForwardedChannels);
    client.start(program, arguments);
    return client.waitForFinished(10000) && client.exitStatus() == QProcess::NormalExit && client.exitCode() == 0;
}
