#pragma once

#include "Desktop.h"

// openbox on an X server of the test's own, made this process's display,
// session bus and (when none is set) runtime directory for the life of the
// object. Start it before the application.
class PrivateDesktop : public Desktop
{
public:
    explicit PrivateDesktop(QSize size = QSize(1920, 1080));
    ~PrivateDesktop();

    // Runs an X client (xrandr, xdotool) on this display; false when it fails.
    bool run(const QString &program, const QStringList &arguments) const;

private:
    QByteArray m_previousDisplay;
    bool m_ownRuntime;
};
