#include "support/CaptureButton.h"

#include "support/ButtonPainter.h"
#include "support/SpringAnimation.h"

#include <QPainter>
#include <QPainterPath>

namespace vorno {

namespace {

constexpr Spring pressSpring {0.23, 0.88};
constexpr std::chrono::milliseconds hoverEase {160};

} // namespace

CaptureButton::CaptureButton(Kind kind, AccessibilitySettings *settings, QWidget *parent)
    : CaptureControl(settings, parent), m_kind(kind), m_press(new SpringAnimation(this)),
      m_hover(new SpringAnimation(this))
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
    connect(this, &QAbstractButton::pressed, this, &CaptureButton::followState);
    connect(this, &QAbstractButton::released, this, &CaptureButton::followState);
}

void CaptureButton::setKind(Kind kind)
{
    if (kind == m_kind)
        return;
    m_kind = kind;
    updateGeometry();
    update();
}

void CaptureButton::setWords(Words words, QString icon)
{
    setText(words.string());
    setIconName(std::move(icon));
}

void CaptureButton::setIconName(QString icon)
{
    if (icon == m_icon)
        return;
    m_icon = std::move(icon);
    updateGeometry();
    update();
}

void CaptureButton::followState()
{
    const bool reduce = reduceMotion();
    const CaptureButtonBody::State state = visualState();
    m_press->moveTo(state.pressed ? 1.0 : 0.0, reduce);
    m_hover->moveTo(state.hovered ? 1.0 : 0.0, reduce);
    update();
}

QFont CaptureButton::labelFont() const
{
    QFont font = this->font();
    font.setPixelSize(CaptureButtonBody::fontPixelSize);
    font.setWeight(QFont::DemiBold);
    return font;
}

QSize CaptureButton::sizeHint() const
{
    const double padding = CaptureButtonBody::horizontalPadding(m_kind);
    return {int(std::ceil(label().width() + 2 * padding)), int(CaptureButtonBody::minimumHeight(m_kind))};
}

QSize CaptureButton::minimumSizeHint() const
{
    // Long labels wrap rather than push the page wider.
    const QSize natural = sizeHint();
    return {std::min(natural.width(), maximumNaturalWidth), natural.height()};
}

int CaptureButton::heightForWidth(int width) const
{
    const double lines = label().heightFor(width);
    return int(std::ceil(std::max(CaptureButtonBody::minimumHeight(m_kind), lines + verticalTextPadding * 2)));
}

ButtonLabel CaptureButton::label() const
{
    return {text(), m_icon, labelFont(), CaptureButtonBody::horizontalPadding(m_kind)};
}

bool CaptureButton::hitButton(const QPoint &position) const
{
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), CaptureButtonBody::cornerRadius, CaptureButtonBody::cornerRadius);
    return shape.contains(position);
}

void CaptureButton::paintEvent(QPaintEvent *)
{
    const AccessibilitySettings::Values settings = this->settings();
    const QColor primary = palette().color(QPalette::WindowText);
    CaptureButtonBody::State state = visualState();
    // The geometry follows the animated amounts; colours follow the state.
    const double press = m_press->now().toDouble();
    const double hover = m_hover->now().toDouble();
    CaptureButtonBody body = CaptureButtonBody::look(m_kind, state, settings, primary);
    if (state.enabled && !settings.reduceMotion) {
        body.scale = 1 - 0.03 * press;
        body.yOffset = state.pressed ? 0 : -hover;
    }
    QPainter painter(this);
    ButtonPainter::paint(painter, QRectF(rect()), body, label());
}

} // namespace vorno
