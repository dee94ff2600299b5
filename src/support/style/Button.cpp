#include "support/style/Button.h"

#include "support/SpringAnimation.h"
#include "support/style/ButtonPainter.h"

#include <QPainter>
#include <QPainterPath>

namespace vorno::style {

namespace {

constexpr Spring pressSpring {0.23, 0.88};
constexpr std::chrono::milliseconds hoverEase {160};

} // namespace

Button::Button(Kind kind, AccessibilitySettings *settings, QWidget *parent)
    : Control(settings, parent), m_kind(kind), m_press(new SpringAnimation(this)), m_hover(new SpringAnimation(this))
{
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    m_press->setSpring(pressSpring);
    m_hover->setEaseOut(hoverEase);
    m_press->moveTo(0.0, true);
    m_hover->moveTo(0.0, true);
    connect(m_press, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
    connect(m_hover, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
    connect(this, &QAbstractButton::pressed, this, &Button::followState);
    connect(this, &QAbstractButton::released, this, &Button::followState);
}

void Button::setKind(Kind kind)
{
    if (kind == m_kind)
        return;
    m_kind = kind;
    updateGeometry();
    update();
}

void Button::setWords(Words words, QString icon)
{
    setText(words.string());
    setIconName(std::move(icon));
}

void Button::setIconName(QString icon)
{
    if (icon == m_icon)
        return;
    m_icon = std::move(icon);
    updateGeometry();
    update();
}

void Button::followState()
{
    const bool reduce = reduceMotion();
    const ButtonBody::State state = visualState();
    m_press->moveTo(state.pressed ? 1.0 : 0.0, reduce);
    m_hover->moveTo(state.hovered ? 1.0 : 0.0, reduce);
    update();
}

QFont Button::labelFont() const
{
    QFont font = this->font();
    font.setPixelSize(ButtonBody::fontPixelSize);
    font.setWeight(QFont::DemiBold);
    return font;
}

QSize Button::sizeHint() const
{
    const double padding = ButtonBody::horizontalPadding(m_kind);
    return {int(std::ceil(label().width() + 2 * padding)), int(ButtonBody::minimumHeight(m_kind))};
}

QSize Button::minimumSizeHint() const
{
    // Long labels wrap rather than push the page wider.
    const QSize natural = sizeHint();
    return {std::min(natural.width(), maximumNaturalWidth), natural.height()};
}

int Button::heightForWidth(int width) const
{
    const double lines = label().heightFor(width);
    return int(std::ceil(std::max(ButtonBody::minimumHeight(m_kind), lines + verticalTextPadding * 2)));
}

ButtonLabel Button::label() const
{
    return {text(), m_icon, labelFont(), ButtonBody::horizontalPadding(m_kind)};
}

bool Button::hitButton(const QPoint &position) const
{
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), ButtonBody::cornerRadius, ButtonBody::cornerRadius);
    return shape.contains(position);
}

void Button::paintEvent(QPaintEvent *)
{
    const AccessibilitySettings::Values settings = this->settings();
    const QColor primary = palette().color(QPalette::WindowText);
    ButtonBody::State state = visualState();
    // The geometry follows the animated amounts; colours follow the state.
    const double press = m_press->now().toDouble();
    const double hover = m_hover->now().toDouble();
    ButtonBody body = ButtonBody::look(m_kind, state, settings, primary);
    if (state.enabled && !settings.reduceMotion) {
        body.scale = 1 - 0.03 * press;
        body.yOffset = state.pressed ? 0 : -hover;
    }
    QPainter painter(this);
    ButtonPainter::paint(painter, QRectF(rect()), body, label());
}

} // namespace vorno::style
