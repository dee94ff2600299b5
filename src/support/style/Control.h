#pragma once

#include "support/AccessibilitySettings.h"
#include "support/style/ButtonBody.h"

#include <QAbstractButton>
#include <QPointer>

namespace vorno::style {

// What the shared controls have in common: the hover flag, focus that is
// drawn only when reached with the keyboard, and the accessibility settings.
// `followState` runs after every change of any of them.
class Control : public QAbstractButton
{
    Q_OBJECT

public:
    // The state the control's look is computed from.
    [[nodiscard]] ButtonBody::State visualState() const;

protected:
    Control(AccessibilitySettings *settings, QWidget *parent);

    [[nodiscard]] AccessibilitySettings::Values settings() const;
    [[nodiscard]] bool reduceMotion() const { return settings().reduceMotion; }
    virtual void followState() { update(); }

    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QPointer<AccessibilitySettings> m_settings;
    bool m_hovered = false;
    bool m_keyboardFocus = false;
};

} // namespace vorno::style
