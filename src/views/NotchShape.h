#pragma once

#include <QPainterPath>
#include <QRectF>

namespace vorno {

// The notch's outline: square at the top, where it meets the screen's edge,
// with smoothly rounded bottom corners.
struct NotchShape
{
    double bottomRadius = 8;

    // The radius actually drawn in `rect`: never negative, never more than half
    // the rectangle's width or height.
    [[nodiscard]] double radiusIn(const QRectF &rect) const;
    [[nodiscard]] QPainterPath path(const QRectF &rect) const;
};

} // namespace vorno
