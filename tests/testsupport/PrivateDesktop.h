#pragma once

#include "PrivateSessionBus.h"

#include <QByteArray>
#include <QProcess>
#include <QSize>
#include <QString>
#include <QTemporaryDir>

// An X server of the test's own (Xvfb with RandR) on a free display, with
// openbox managing it and, when asked, a compositor, and a session bus of its
// own; made the process's DISPLAY (and session bus, and runtime directory when
// none is set) for the life of the object. Start it before the application.
class PrivateDesktop
{
public:
    explicit PrivateDesktop(QSize size = QSize(1920, 1080), bool compositor = false);
    ~PrivateDesktop();
    PrivateDesktop(const PrivateDesktop &) = delete;
    PrivateDesktop &operator=(const PrivateDesktop &) = delete;

    [[nodiscard]] bool isRunning() const { return !m_display.isEmpty() && m_error.isEmpty(); }
    [[nodiscard]] QString display() const { return m_display; }
    [[nodiscard]] QString error() const { return m_error; }

    // Runs an X client (xrandr, xdotool) on this display; false when it fails.
    bool run(const QString &program, const QStringList &arguments) const;

private:
    [[nodiscard]] bool waitForRootProperty(const char *name, bool selectionOwner);
    [[nodiscard]] bool waitUntilManaging();

    QTemporaryDir m_runtime;
    PrivateSessionBus m_bus;
    QProcess m_server;
    QProcess m_manager;
    QProcess m_compositor;
    QString m_display;
    QString m_error;
    QByteArray m_previousDisplay;
    bool m_ownRuntime;
};
