#include "views/NotchPressButton.h"

#include <QPainter>
#include <QPainterPath>

namespace vorno {

namespace {

constexpr double plateRadius = 14;
constexpr Spring plateSpring {.response = 0.22, .dampingFraction = 0.9};

} // namespace

NotchPressButton::NotchPressButton(QSize size, Label label, AccessibilitySettings *settings, QWidget *parent)
    : style::Control(settings, parent), m_size(size), m_label(std::move(label)), m_plate(new SpringAnimation(this))
{
    setFixedSize(size);
    m_plate->setSpring(plateSpring);
    // The plate's (opacity, scale), moved together.
    m_plate->moveTo(QPointF(plateOpacity(visualState()), scaleFor(visualState(), reduceMotion())), true);
    connect(m_plate, &QVariantAnimation::valueChanged, this, [this] { update(); });
    connect(this, &QAbstractButton::pressed, this, [this] { followState(); });
    connect(this, &QAbstractButton::released, this, [this] { followState(); });
}

double NotchPressButton::plateOpacity(const style::ButtonBody::State &state)
{
    if (!state.enabled)
        return 0;
    if (state.pressed)
        return 0.12;
    return state.hovered || state.focused ? 0.06 : 0;
}

double NotchPressButton::scaleFor(const style::ButtonBody::State &state, bool reduceMotion)
{
    return state.pressed && state.enabled && !reduceMotion ? 0.98 : 1;
}

void NotchPressButton::followState()
{
    const auto state = visualState();
    m_plate->moveTo(QPointF(plateOpacity(state), scaleFor(state, reduceMotion())), reduceMotion());
    update();
}

void NotchPressButton::paintEvent(QPaintEvent *)
{
    const QPointF plate = m_plate->now().toPointF();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre = QRectF(rect()).center();
    painter.translate(centre);
    painter.scale(plate.y(), plate.y());
    painter.translate(-centre);
    const QRectF area = QRectF(rect()).adjusted(1, 1, -1, -1);
    if (plate.x() > 0.001) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor::fromRgbF(1, 1, 1, float(plate.x())));
        painter.drawRoundedRect(area, plateRadius, plateRadius);
    }
    if (visualState().focused) {
        painter.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.7f), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(area, plateRadius, plateRadius);
    }
    painter.setOpacity(isEnabled() ? 1 : 0.35);
    if (m_label)
        m_label(painter, QRectF(rect()));
}

} // namespace vorno
