#pragma once

#include "support/AccessibilitySettings.h"

class QColor;
class QPainter;
class QRectF;

namespace vorno::style {

// The background a page or a field lies on, in three roles.
namespace Surface {

enum class Role { panel, reading, input };

struct Treatment
{
    bool solid = true;
    double rimOpacity = 0;
    double shadowOpacity = 0;
    friend bool operator==(const Treatment &, const Treatment &) = default;
};

[[nodiscard]] Treatment treatment(Role role, AccessibilitySettings::Values settings);

// Draws the surface of `role` in `rect` with corner `radius`: background,
// rim inside the edge and shadow. `primary` and `textBackground` come from
// the palette; the translucent material is `textBackground` let through.
void paint(QPainter &painter, const QRectF &rect, double radius, Role role, AccessibilitySettings::Values settings,
           const QColor &primary, const QColor &textBackground);

} // namespace Surface

} // namespace vorno::style
