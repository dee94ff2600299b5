#include "support/style/Control.h"

#include <QEnterEvent>
#include <QFocusEvent>

namespace vorno::style {

Control::Control(AccessibilitySettings *settings, QWidget *parent) : QAbstractButton(parent), m_settings(settings)
{
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::PointingHandCursor);
    if (settings)
        connect(settings, &AccessibilitySettings::changed, this, [this] { followState(); });
}

ButtonBody::State Control::visualState() const
{
    return {.enabled = isEnabled(),
            .pressed = isDown(),
            .hovered = m_hovered && isEnabled(),
            .focused = hasFocus() && m_keyboardFocus};
}

AccessibilitySettings::Values Control::settings() const
{
    return m_settings ? m_settings->values() : AccessibilitySettings::Values {};
}

void Control::enterEvent(QEnterEvent *event)
{
    m_hovered = true;
    followState();
    QAbstractButton::enterEvent(event);
}

void Control::leaveEvent(QEvent *event)
{
    m_hovered = false;
    followState();
    QAbstractButton::leaveEvent(event);
}

void Control::focusInEvent(QFocusEvent *event)
{
    // A click also focuses; only focus reached with the keyboard is drawn.
    m_keyboardFocus = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    QAbstractButton::focusInEvent(event);
    followState();
}

void Control::focusOutEvent(QFocusEvent *event)
{
    QAbstractButton::focusOutEvent(event);
    followState();
}

void Control::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::PaletteChange)
        followState();
    QAbstractButton::changeEvent(event);
}

} // namespace vorno::style
