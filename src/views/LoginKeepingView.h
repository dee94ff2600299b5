#pragma once

#include <QPointer>
#include <QWidget>

namespace vorno {

class AccessibilitySettings;
class CaptureButton;
class CaptureText;
class CaptureToggle;
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
    [[nodiscard]] CaptureToggle *keyringToggle() const { return m_keyring; }
    [[nodiscard]] CaptureButton *copyButton() const;

private:
    void refresh();

    QPointer<LoginKeeping> m_keeping;
    QPointer<Preferences> m_preferences;
    CaptureText *m_summary;
    CopyableCommand *m_command;
    CaptureToggle *m_keyring;
    CaptureText *m_keyringReason;
};

} // namespace vorno
