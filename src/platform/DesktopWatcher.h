#pragma once

#include <QObject>

namespace vorno {

// The desktop around the panel: whether the active window is full screen,
// whether a compositing manager blends translucent windows, and when the
// user switches workspaces.
class DesktopWatcher : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    [[nodiscard]] virtual bool fullScreenActive() const = 0;
    // Without one, a transparent pixel shows as black.
    [[nodiscard]] virtual bool compositing() const { return true; }

Q_SIGNALS:
    void fullScreenChanged();
    void compositingChanged();
    void workspaceChanged();
};

} // namespace vorno
