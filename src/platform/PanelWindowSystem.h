#pragma once

#include <QRegion>

class QWindow;

namespace vorno {

// What the window system does for the notch panel beyond Qt: keep it on every
// workspace above other windows, and let clicks outside its drawn shape fall
// through to the windows below.
class PanelWindowSystem
{
public:
    virtual ~PanelWindowSystem() = default;

    // After every show of the window (the window manager may give it a new frame).
    virtual void placeOnEveryWorkspace(QWindow *window) = 0;
    // `region` in the window's coordinates; only there does the window take clicks.
    virtual void setInputRegion(QWindow *window, const QRegion &region) = 0;
};

} // namespace vorno
