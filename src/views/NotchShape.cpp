#include "views/NotchShape.h"

#include <algorithm>

namespace vorno {

double NotchShape::radiusIn(const QRectF &rect) const
{
    return std::max(0.0, std::min({bottomRadius, rect.width() / 2, rect.height() / 2}));
}

QPainterPath NotchShape::path(const QRectF &rect) const
{
    const double r = radiusIn(rect);
    // A continuous corner: the curve leaves the straight edges with no jump in
    // curvature, which a circular arc cannot do. The control points sit on the
    // corner's edges, a little past the arc's quarter-circle handles.
    constexpr double handle = 0.64;
    QPainterPath path;
    path.moveTo(rect.topLeft());
    path.lineTo(rect.topRight());
    path.lineTo(rect.right(), rect.bottom() - r);
    path.cubicTo(rect.right(), rect.bottom() - r * (1 - handle), rect.right() - r * (1 - handle), rect.bottom(),
                 rect.right() - r, rect.bottom());
    path.lineTo(rect.left() + r, rect.bottom());
    path.cubicTo(rect.left() + r * (1 - handle), rect.bottom(), rect.left(), rect.bottom() - r * (1 - handle),
                 rect.left(), rect.bottom() - r);
    path.closeSubpath();
    return path;
}

} // namespace vorno
