#pragma once

#include "core/Rect.h"

#include <optional>

namespace vorno {

// One outline of the panel, with the camera housing it sits under.
struct PanelGeometry
{
    static constexpr double headerHeight = 52; // compact height below the camera, and the minimum

    Rect frame;
    double cameraWidth = 0;
    double cameraHeight = 0;

    [[nodiscard]] bool hasNotch() const { return cameraWidth > 0 && cameraHeight > 0; }

    [[nodiscard]] static PanelGeometry resolve(const Rect &screen, const Rect &visible,
                                               const std::optional<Rect> &camera, bool expanded);

    friend bool operator==(const PanelGeometry &, const PanelGeometry &) = default;
};

} // namespace vorno
