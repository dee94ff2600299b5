#include "core/NotchLayout.h"

#include <cmath>

namespace vorno {

namespace {

constexpr double hiddenWidthWithoutCamera = 190;
constexpr double activationGrowthX = 20;
constexpr double activationGrowthY = 14;
constexpr double canvasGrowthWidth = 48;
constexpr double canvasGrowthHeight = 24;

} // namespace

NotchLayout NotchLayout::resolve(const Rect &screen, const Rect &visible, const std::optional<Rect> &camera)
{
    NotchLayout layout;
    layout.compact = PanelGeometry::resolve(screen, visible, camera, false);
    layout.expanded = PanelGeometry::resolve(screen, visible, camera, true);

    const double cameraWidth = layout.compact.cameraWidth;
    const double cameraHeight = layout.compact.cameraHeight;
    const bool present = cameraWidth > 0 && cameraHeight > 0;
    const double hiddenWidth = std::fmin(present ? cameraWidth : hiddenWidthWithoutCamera, screen.width);
    const double hiddenHeight = present ? cameraHeight : 0;
    layout.hidden = {
        .frame
        = {layout.compact.frame.midX() - hiddenWidth / 2, screen.maxY() - hiddenHeight, hiddenWidth, hiddenHeight},
        .cameraWidth = cameraWidth,
        .cameraHeight = cameraHeight,
    };

    const Rect grown = layout.compact.frame.insetBy(-activationGrowthX, -activationGrowthY);
    layout.activation = grown.intersected(screen).value_or(Rect {});

    const double canvasWidth = std::fmin(layout.expanded.frame.width + canvasGrowthWidth, screen.width);
    const double canvasHeight = std::fmin(layout.expanded.frame.height + canvasGrowthHeight, screen.height);
    const double canvasX = std::fmin(screen.maxX() - canvasWidth,
                                     std::fmax(layout.expanded.frame.midX() - canvasWidth / 2, screen.minX()));
    layout.canvas = {canvasX, screen.maxY() - canvasHeight, canvasWidth, canvasHeight};
    return layout;
}

} // namespace vorno
