#pragma once

#include <QPointer>
#include <QWidget>

namespace vorno {

class AccessibilitySettings;
namespace style {
class Button;
}
namespace style {
class Label;
}
namespace style {
class Toggle;
}
class CloudStore;
class CopyableCommand;
class LoginKeeping;
class Preferences;

// The account card's line on how the login is kept: by the TPM, in the
// keyring, or why neither and what fixes it, with the command to copy and
// the keyring switch where the TPM cannot keep it.
class LoginKeepingView : public QWidget
{
    Q_OBJECT

public:
    LoginKeepingView(LoginKeeping *keeping, Preferences *preferences, CloudStore *cloud,
                     AccessibilitySettings *settings, QWidget *parent = nullptr);

    [[nodiscard]] QString summary() const;
    [[nodiscard]] QString command() const;
    [[nodiscard]] style::Toggle *keyringToggle() const { return m_keyring; }
    [[nodiscard]] style::Button *copyButton() const;

private:
    void refresh();

    QPointer<LoginKeeping> m_keeping;
    QPointer<Preferences> m_preferences;
    style::Label *m_summary;
    CopyableCommand *m_command;
    style::Toggle *m_keyring;
    style::Label *m_keyringReason;
};

} // namespace vorno
