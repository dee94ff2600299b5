#pragma once

#include "core/PanelGeometry.h"
#include "core/Rect.h"

#include <optional>

namespace vorno {

// Every rectangle the panel needs on one screen.
struct NotchLayout
{
    PanelGeometry compact;
    PanelGeometry expanded;
    PanelGeometry hidden;
    Rect activation; // where the pointer counts as being at the notch
    Rect canvas;     // the window that holds the panel in every state

    [[nodiscard]] static NotchLayout resolve(const Rect &screen, const Rect &visible,
                                             const std::optional<Rect> &camera);

    friend bool operator==(const NotchLayout &, const NotchLayout &) = default;
};

} // namespace vorno
