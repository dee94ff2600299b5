#include "core/Rect.h"

#include <algorithm>

namespace vorno {

namespace {

// Negative sizes describe the same area as their mirror image.
Rect standardized(const Rect &r)
{
    Rect result = r;
    if (result.width < 0) {
        result.x += result.width;
        result.width = -result.width;
    }
    if (result.height < 0) {
        result.y += result.height;
        result.height = -result.height;
    }
    return result;
}

} // namespace

std::optional<Rect> Rect::intersected(const Rect &other) const
{
    const Rect a = standardized(*this);
    const Rect b = standardized(other);
    const double left = std::max(a.minX(), b.minX());
    const double right = std::min(a.maxX(), b.maxX());
    const double bottom = std::max(a.minY(), b.minY());
    const double top = std::min(a.maxY(), b.maxY());
    // Written so that a NaN anywhere gives no intersection.
    if (!(left <= right) || !(bottom <= top))
        return std::nullopt;
    return Rect {left, bottom, right - left, top - bottom};
}

Rect Rect::insetBy(double dx, double dy) const
{
    const Rect r = standardized(*this);
    return {r.x + dx, r.y + dy, r.width - 2 * dx, r.height - 2 * dy};
}

} // namespace vorno
