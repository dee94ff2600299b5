#pragma once

#include "core/Rect.h"

#include <QPointF>
#include <QRectF>

namespace vorno {

// The layout arithmetic counts y upwards from the bottom edge of the primary
// screen; Qt counts it downwards from that screen's top. Every conversion
// between the two happens here.
class ScreenSpace
{
public:
    // `primaryBottom`: Qt's y of the primary screen's bottom edge.
    explicit ScreenSpace(double primaryBottom) : m_primaryBottom(primaryBottom) { }
    // The space of the screens as they are now (none: a space at 0).
    [[nodiscard]] static ScreenSpace current();

    [[nodiscard]] Rect toLayout(const QRectF &rect) const
    {
        return {rect.x(), m_primaryBottom - rect.bottom(), rect.width(), rect.height()};
    }
    [[nodiscard]] QRectF toQt(const Rect &rect) const
    {
        return {rect.x, m_primaryBottom - rect.maxY(), rect.width, rect.height};
    }

    // `inner` in the coordinates of a widget that covers `outer` (y down from
    // its top-left corner); the same in either space.
    [[nodiscard]] static QRectF within(const Rect &inner, const Rect &outer)
    {
        return {inner.x - outer.x, outer.maxY() - inner.maxY(), inner.width, inner.height};
    }

private:
    double m_primaryBottom;
};

} // namespace vorno
