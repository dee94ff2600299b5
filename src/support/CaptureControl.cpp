#include "support/CaptureControl.h"

#include <QEnterEvent>
#include <QFocusEvent>

namespace vorno {

CaptureControl::CaptureControl(AccessibilitySettings *settings, QWidget *parent)
    : QAbstractButton(parent), m_settings(settings)
{
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::PointingHandCursor);
    if (settings)
        connect(settings, &AccessibilitySettings::changed, this, [this] { followState(); });
}

CaptureButtonBody::State CaptureControl::visualState() const
{
    return {.enabled = isEnabled(),
            .pressed = isDown(),
            .hovered = m_hovered && isEnabled(),
            .focused = hasFocus() && m_keyboardFocus};
}

AccessibilitySettings::Values CaptureControl::settings() const
{
    return m_settings ? m_settings->values() : AccessibilitySettings::Values {};
}

void CaptureControl::enterEvent(QEnterEvent *event)
{
    m_hovered = true;
    followState();
    QAbstractButton::enterEvent(event);
}

void CaptureControl::leaveEvent(QEvent *event)
{
    m_hovered = false;
    followState();
    QAbstractButton::leaveEvent(event);
}

void CaptureControl::focusInEvent(QFocusEvent *event)
{
    // A click also focuses; only focus reached with the keyboard is drawn.
    m_keyboardFocus = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    QAbstractButton::focusInEvent(event);
    followState();
}

void CaptureControl::focusOutEvent(QFocusEvent *event)
{
    QAbstractButton::focusOutEvent(event);
    followState();
}

void CaptureControl::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::PaletteChange)
        followState();
    QAbstractButton::changeEvent(event);
}

} // namespace vorno
