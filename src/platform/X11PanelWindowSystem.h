#pragma once

#include "PanelWindowSystem.h"

namespace vorno {

// The EWMH hints and the SHAPE input region on X11; does nothing elsewhere.
class X11PanelWindowSystem : public PanelWindowSystem
{
public:
    void placeOnEveryWorkspace(QWindow *window) override;
    void setInputRegion(QWindow *window, const QRegion &region) override;
};

} // namespace vorno
