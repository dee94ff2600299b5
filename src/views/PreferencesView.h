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
class CaptureButton;
class CaptureSettingsSection;
class CaptureStore;
class CaptureText;
class CaptureToggle;
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
    [[nodiscard]] CaptureSettingsSection *notificationsSection() const { return m_notifications; }
    [[nodiscard]] CaptureToggle *showNotchToggle() const { return m_showNotch; }
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

    CaptureToggle *m_showNotch;
    CaptureSettingsSection *m_notifications;
    CaptureText *m_state;
    CaptureButton *m_stateRefresh;
    QWidget *m_statusRow;
    CaptureText *m_statusValue;
    CaptureText *m_permissionValue;
    CaptureButton *m_systemOn;
    CaptureButton *m_systemOff;
    CaptureButton *m_test;
    CaptureText *m_testText;
    QWidget *m_shortcutRow = nullptr;
    CaptureText *m_shortcutValue = nullptr;
    CaptureText *m_shortcutHint = nullptr;
    CopyableCommand *m_shortcutCommand = nullptr;
};

} // namespace vorno
