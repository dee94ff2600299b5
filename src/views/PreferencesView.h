#pragma once

#include "support/Words.h"

#include <QCoro/QCoroTask>

#include <QDateTime>
#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <optional>

namespace vorno {

class AccessibilitySettings;
namespace style {
class Button;
}
namespace style {
class SettingsSection;
}
class CaptureStore;
namespace style {
class Label;
}
namespace style {
class Toggle;
}
class CopyableCommand;
class GlobalShortcutsPortal;
class NotificationCenter;
struct EncouragementState;

// The settings page: the two settings kept on this computer, the account,
// and the account's encouragement state with the desktop's alert permission.
class PreferencesView : public QWidget
{
    Q_OBJECT

public:
    struct Options
    {
        QUrl origin;                                // the web origin, for the account page
        std::function<bool(const QUrl &)> openUrl;  // default: the desktop's default handler
        std::function<QDateTime()> now;             // default: the current time
        GlobalShortcutsPortal *shortcuts = nullptr; // none: no keyboard section
    };

    PreferencesView(CaptureStore *store, NotificationCenter *notifications, AccessibilitySettings *settings,
                    Options options, QWidget *parent = nullptr);

    // The status value of the account's encouragement (On, Paused, Quiet hours, Off).
    [[nodiscard]] static Words encouragementStatus(const EncouragementState &state, const QDateTime &now);

    // Reads the account's state and then the permission, as when the page is shown.
    void refresh();
    void refreshPermission();
    void requestPermission();
    void sendTest();

    [[nodiscard]] Words permission() const { return m_permission; }
    [[nodiscard]] std::optional<Words> testNotice() const { return m_testNotice; }
    [[nodiscard]] bool isRequestingPermission() const { return m_requestingPermission; }
    [[nodiscard]] bool isTestingAlert() const { return m_testingAlert; }
    [[nodiscard]] style::SettingsSection *notificationsSection() const { return m_notifications; }
    [[nodiscard]] style::Toggle *showNotchToggle() const { return m_showNotch; }
    // The encouragement line shown now: a text, or the status value.
    [[nodiscard]] QString encouragementLine() const;
    // The keyboard section's command to bind, when it shows one.
    [[nodiscard]] QString shortcutCommand() const;
    [[nodiscard]] QString shortcutTrigger() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QCoro::Task<> refreshSteps();
    QCoro::Task<> permissionSteps();
    QCoro::Task<> requestSteps();
    QCoro::Task<> testSteps();
    void refreshControls();
    QWidget *keyboardSection(AccessibilitySettings *settings);
    void refreshKeyboard();

    QPointer<CaptureStore> m_store;
    NotificationCenter *m_center;
    Options m_options;
    Words m_permission = Words::aiUnknown;
    std::optional<Words> m_testNotice;
    bool m_requestingPermission = false;
    bool m_testingAlert = false;

    style::Toggle *m_showNotch;
    style::SettingsSection *m_notifications;
    style::Label *m_state;
    style::Button *m_stateRefresh;
    QWidget *m_statusRow;
    style::Label *m_statusValue;
    style::Label *m_permissionValue;
    style::Button *m_systemOn;
    style::Button *m_systemOff;
    style::Button *m_test;
    style::Label *m_testText;
    QWidget *m_shortcutRow = nullptr;
    style::Label *m_shortcutValue = nullptr;
    style::Label *m_shortcutHint = nullptr;
    CopyableCommand *m_shortcutCommand = nullptr;
};

} // namespace vorno
