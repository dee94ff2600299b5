#pragma once

#include <QByteArray>
#include <QRegion>

#include <optional>

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
    // Every click on the window reaches it, however the window manager passes it on.
    virtual void deliverEveryClick(QWindow *window) = 0;
    // `region` in the window's coordinates; only there does the window take clicks.
    virtual void setInputRegion(QWindow *window, const QRegion &region) = 0;
    // Only `region` of the window is shown, or all of it (none). Without a
    // compositing manager this is what keeps the transparent canvas from
    // showing as black.
    virtual void setVisibleRegion(QWindow *window, const std::optional<QRegion> &region) = 0;
    // Gives the window the keyboard at the user's request, with the
    // launcher's activation token when there is one (else empty), so that
    // focus-stealing prevention lets it through.
    virtual void activate(QWindow *window, const QByteArray &token) = 0;
};

} // namespace vorno
