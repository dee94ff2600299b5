#pragma once

#include <QObject>

namespace vorno {

// The desktop around the panel: whether the active window is full screen,
// and when the user switches workspaces.
class DesktopWatcher : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    [[nodiscard]] virtual bool fullScreenActive() const = 0;

Q_SIGNALS:
    void fullScreenChanged();
    void workspaceChanged();
};

} // namespace vorno
