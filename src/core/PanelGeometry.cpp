#include "core/PanelGeometry.h"

#include <cmath>

namespace vorno {

namespace {

constexpr double visibleMargin = 32;
constexpr double expandedExtraHeight = 500;
constexpr double expandedWidth = 440;
constexpr double compactWidthWithoutCamera = 196;
constexpr double sideMargin = 16;

struct CameraArea
{
    double width = 0;
    double height = 0;
    double centreX = 0;

    [[nodiscard]] bool present() const { return width > 0 && height > 0; }
};

CameraArea cameraArea(const Rect &screen, const Rect &visible, const std::optional<Rect> &camera)
{
    const std::optional<Rect> clipped = camera ? camera->intersected(screen) : std::nullopt;
    if (clipped && clipped->width > 0 && clipped->height > 0)
        return {clipped->width, clipped->height, clipped->midX()};
    return {0, 0, visible.midX()};
}

} // namespace

PanelGeometry PanelGeometry::resolve(const Rect &screen, const Rect &visible, const std::optional<Rect> &camera,
                                     bool expanded)
{
    const CameraArea area = cameraArea(screen, visible, camera);
    // std::fmax and std::fmin ignore a NaN operand, so a screen reporting
    // nonsense still yields the other, finite limit.
    const double height = std::fmin(std::fmax(visible.height - visibleMargin, headerHeight),
                                    (expanded ? expandedExtraHeight : headerHeight) + area.height);
    const double width
        = std::fmin(std::fmax(visible.width - visibleMargin, 1),
                    expanded ? expandedWidth : (area.present() ? area.width : compactWidthWithoutCamera));
    const double x = std::fmin(visible.maxX() - width - sideMargin,
                               std::fmax(area.centreX - width / 2, visible.minX() + sideMargin));
    const double y = screen.maxY() - height;
    return {.frame = {x, y, width, height}, .cameraWidth = area.width, .cameraHeight = area.height};
}

} // namespace vorno
