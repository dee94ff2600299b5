#include "support/style/Surface.h"

#include "support/style/Metrics.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace vorno::style::Surface {

namespace {

constexpr double materialOpacity = 0.78; // how much of the background the material lets through
constexpr double shadowRadius = 12;
constexpr double shadowYOffset = 4;

} // namespace

Treatment treatment(Role role, AccessibilitySettings::Values settings)
{
    Treatment result;
    result.solid = role != Role::panel || settings.reduceTransparency || settings.increaseContrast;
    result.rimOpacity = settings.increaseContrast ? 0.55 : role == Role::reading ? 0.0 : 0.12;
    result.shadowOpacity = result.solid ? 0.0 : 0.05;
    return result;
}

void paint(QPainter &painter, const QRectF &rect, double radius, Role role, AccessibilitySettings::Values settings,
           const QColor &primary, const QColor &textBackground)
{
    const Treatment look = treatment(role, settings);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(rect, radius, radius);

    if (look.shadowOpacity > 0) {
        const int steps = 6;
        for (int i = steps; i >= 1; --i) {
            const double spread = shadowRadius * i / steps / 2;
            QPainterPath shadow;
            shadow.addRoundedRect(rect.translated(0, shadowYOffset).adjusted(-spread, -spread, spread, spread),
                                  radius + spread, radius + spread);
            painter.fillPath(shadow, QColor::fromRgbF(0, 0, 0, float(look.shadowOpacity / steps)));
        }
    }
    painter.fillPath(shape, look.solid ? textBackground : Metrics::faded(textBackground, materialOpacity));

    const QRectF rim = rect.adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath edge;
    edge.addRoundedRect(rim, radius - 0.5, radius - 0.5);
    if (look.solid) {
        if (look.rimOpacity > 0)
            painter.strokePath(edge, QPen(Metrics::faded(primary, look.rimOpacity), 1));
    } else {
        QLinearGradient gradient(rim.topLeft(), rim.bottomLeft());
        gradient.setColorAt(0, QColor::fromRgbF(1, 1, 1, 0.65f));
        gradient.setColorAt(1, Metrics::faded(primary, 0.12));
        painter.strokePath(edge, QPen(QBrush(gradient), 1));
    }
    painter.restore();
}

} // namespace vorno::style::Surface
