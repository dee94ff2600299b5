#include "support/style/ButtonPainter.h"

#include "support/Symbols.h"
#include "support/style/Metrics.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace vorno::style {

double ButtonLabel::iconWidth() const
{
    return icon.isEmpty() ? 0 : iconSize + (text.isEmpty() ? 0 : spacing);
}

double ButtonLabel::heightFor(double buttonWidth) const
{
    const double room = std::max(1.0, buttonWidth - 2 * padding - iconWidth());
    return QFontMetricsF(font).boundingRect(QRectF(0, 0, room, 100000), Qt::TextWordWrap, text).height();
}

double ButtonLabel::width() const
{
    const double textWidth = QFontMetricsF(font).horizontalAdvance(text);
    if (icon.isEmpty())
        return textWidth;
    return textWidth + (text.isEmpty() ? 0 : spacing) + iconSize;
}

namespace ButtonPainter {

void paintBody(QPainter &painter, const QRectF &rect, const ButtonBody &body)
{
    painter.setRenderHint(QPainter::Antialiasing);
    const double radius = ButtonBody::cornerRadius;
    const QRectF inner = rect.adjusted(1, 1, -1, -1);
    QPainterPath shape;
    shape.addRoundedRect(inner, radius, radius);

    if (body.shadow) {
        // A soft glow below: a few widening, fading rims stand in for a blur.
        const int steps = 6;
        for (int i = steps; i >= 1; --i) {
            const double spread = body.shadow->radius * i / steps / 2;
            QPainterPath glow;
            glow.addRoundedRect(inner.translated(0, body.shadow->yOffset).adjusted(-spread, -spread, spread, spread),
                                radius + spread, radius + spread);
            painter.fillPath(glow, Metrics::faded(body.shadow->color, 1.0 / steps));
        }
    }
    if (body.gradient) {
        QLinearGradient gradient(inner.topLeft(), inner.bottomRight());
        gradient.setColorAt(0, Metrics::actionLight());
        gradient.setColorAt(1, Metrics::action());
        painter.fillPath(shape, gradient);
    } else if (body.fill) {
        painter.fillPath(shape, *body.fill);
    }
    if (body.border) {
        const double half = body.borderWidth / 2;
        QPainterPath edge;
        edge.addRoundedRect(inner.adjusted(half, half, -half, -half), radius - half, radius - half);
        painter.strokePath(edge, QPen(*body.border, body.borderWidth));
    }
}

void paint(QPainter &painter, const QRectF &rect, const ButtonBody &body, const ButtonLabel &label)
{
    painter.save();
    const QPointF centre = rect.center();
    painter.translate(centre.x(), centre.y() + body.yOffset);
    painter.scale(body.scale, body.scale);
    painter.translate(-centre.x(), -centre.y());
    paintBody(painter, rect, body);

    // A label wider than the button wraps onto more lines; the button grew for it.
    const double room = rect.width() - 2 * label.padding - label.iconWidth();
    const double textWidth = std::min(QFontMetricsF(label.font).horizontalAdvance(label.text), std::max(1.0, room));
    double x = rect.center().x() - (textWidth + label.iconWidth()) / 2;
    painter.setFont(label.font);
    painter.setPen(body.label);
    if (!label.text.isEmpty()) {
        painter.drawText(QRectF(x, rect.top(), textWidth + 1, rect.height()),
                         Qt::AlignVCenter | Qt::AlignHCenter | Qt::TextWordWrap, label.text);
        x += textWidth + ButtonLabel::spacing;
    }
    if (!label.icon.isEmpty()) {
        const QPixmap symbol
            = Symbols::pixmap(label.icon, ButtonLabel::iconSize, body.label, painter.device()->devicePixelRatioF());
        painter.drawPixmap(QPointF(x, rect.center().y() - ButtonLabel::iconSize / 2), symbol);
    }
    painter.restore();
}

} // namespace ButtonPainter

} // namespace vorno::style
