#pragma once

#include "platform/PanelWindowSystem.h"
#include "platform/X11ClickRelay.h"

namespace vorno {

// The EWMH hints and the SHAPE input region on X11; does nothing elsewhere.
class X11PanelWindowSystem : public PanelWindowSystem
{
public:
    void placeOnEveryWorkspace(QWindow *window) override;
    void deliverEveryClick(QWindow *window) override { m_clicks.follow(window); }
    void setInputRegion(QWindow *window, const QRegion &region) override;
    void setVisibleRegion(QWindow *window, const std::optional<QRegion> &region) override;
    void activate(QWindow *window, const QByteArray &token) override;

private:
    X11ClickRelay m_clicks;
};

} // namespace vorno
