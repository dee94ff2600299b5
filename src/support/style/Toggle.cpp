#include "support/style/Toggle.h"

#include "support/SpringAnimation.h"
#include "support/Symbols.h"
#include "support/style/ButtonPainter.h"
#include "support/style/Metrics.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

namespace vorno::style {

using Metrics::faded;

namespace {

constexpr Spring flipSpring {0.26, 0.84};
constexpr double checkSize = 11;
constexpr int labelPixelSize = 13;

} // namespace

Toggle::Toggle(bool checkbox, AccessibilitySettings *settings, QWidget *parent)
    : Control(settings, parent), m_checkbox(checkbox), m_position(new SpringAnimation(this))
{
    setCheckable(true);
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    m_position->setSpring(flipSpring);
    m_position->moveTo(0.0, true);
    connect(m_position, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
    connect(this, &QAbstractButton::toggled, this,
            [this](bool on) { m_position->moveTo(on ? 1.0 : 0.0, !isVisible() || reduceMotion()); });
}

Toggle::Geometry Toggle::geometry(bool checkbox, QSizeF size, double labelHeight, double position,
                                  AccessibilitySettings::Values settings)
{
    Geometry result;
    const double middle = size.height() / 2;
    const double left = horizontalPadding;
    const double right = size.width() - horizontalPadding;
    if (checkbox) {
        result.track = QRectF(left, middle - boxSide / 2, boxSide, boxSide);
        const double labelLeft = left + boxSide + spacing;
        result.label = QRectF(labelLeft, middle - labelHeight / 2, right - labelLeft, labelHeight);
        result.checkOpacity = position;
        result.checkScale = settings.reduceMotion ? 1 : 0.6 + 0.4 * position;
    } else {
        result.track
            = QRectF(right - trackSize.width(), middle - trackSize.height() / 2, trackSize.width(), trackSize.height());
        result.label = QRectF(left, middle - labelHeight / 2, result.track.left() - spacing - left, labelHeight);
        const double offset = knobTravel * (2 * position - 1);
        const QPointF centre = result.track.center() + QPointF(offset, 0);
        result.knob = QRectF(centre.x() - knobDiameter / 2, centre.y() - knobDiameter / 2, knobDiameter, knobDiameter);
    }
    return result;
}

QFont Toggle::labelFont() const
{
    QFont font = this->font();
    font.setPixelSize(labelPixelSize);
    return font;
}

double Toggle::labelWidth(double rowWidth) const
{
    const double control = m_checkbox ? boxSide : trackSize.width();
    return std::max(1.0, rowWidth - 2 * horizontalPadding - control - spacing);
}

double Toggle::labelHeight(double rowWidth) const
{
    // Long consent statements wrap onto several lines, never cut.
    return QFontMetricsF(labelFont())
        .boundingRect(QRectF(0, 0, labelWidth(rowWidth), 100000), Qt::TextWordWrap, text())
        .height();
}

QSize Toggle::sizeHint() const
{
    return {360, heightForWidth(360)};
}

int Toggle::heightForWidth(int width) const
{
    const double control = m_checkbox ? boxSide : trackSize.height();
    return int(std::ceil(std::max(labelHeight(width), control) + 2 * verticalPadding));
}

void Toggle::paintEvent(QPaintEvent *)
{
    const AccessibilitySettings::Values settings = this->settings();
    const QColor primary = palette().color(QPalette::WindowText);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    const ButtonBody row = ButtonBody::look(ButtonBody::Kind::quiet, visualState(), settings, primary);
    ButtonPainter::paintBody(painter, QRectF(rect()), row);

    const double position = m_position->now().toDouble();
    const Geometry parts = geometry(m_checkbox, QSizeF(size()), labelHeight(width()), position, settings);
    painter.setFont(labelFont());
    painter.setPen(faded(primary, isEnabled() ? 0.9 : 0.4));
    painter.drawText(parts.label, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignVCenter, text());

    const bool on = isChecked();
    if (m_checkbox) {
        QPainterPath box;
        box.addRoundedRect(parts.track, boxRadius, boxRadius);
        painter.fillPath(box, on ? Metrics::action() : faded(primary, 0.06));
        if (!on) {
            QPainterPath edge;
            edge.addRoundedRect(parts.track.adjusted(0.5, 0.5, -0.5, -0.5), boxRadius - 0.5, boxRadius - 0.5);
            painter.strokePath(edge, QPen(faded(primary, settings.increaseContrast ? 0.7 : 0.35), 1));
        }
        if (parts.checkOpacity > 0) {
            const double side = checkSize * parts.checkScale;
            painter.setOpacity(parts.checkOpacity);
            painter.drawPixmap(QRectF(parts.track.center() - QPointF(side, side) / 2, QSizeF(side, side)),
                               Symbols::pixmap(QStringLiteral("checkmark"), checkSize, Qt::black, devicePixelRatioF()),
                               QRectF());
            painter.setOpacity(1);
        }
    } else {
        QPainterPath track;
        track.addRoundedRect(parts.track, parts.track.height() / 2, parts.track.height() / 2);
        painter.fillPath(track, on ? Metrics::action() : faded(primary, settings.increaseContrast ? 0.5 : 0.2));
        painter.setPen(Qt::NoPen);
        painter.setBrush(on ? QColor(Qt::black) : primary);
        painter.drawEllipse(parts.knob);
    }
}

} // namespace vorno::style
