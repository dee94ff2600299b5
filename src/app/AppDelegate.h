#pragma once

#include "app/AppCommand.h"
#include "app/AppConfiguration.h"
#include "app/NotchController.h"
#include "app/QuitGuard.h"
#include "stores/CaptureStore.h"
#include "support/Clock.h"

#include <QCoro/QCoroTask>
#include <QObject>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>

namespace vorno {

class DesktopNotifications;
class EncouragementAlerts;

struct AppDelegateOptions
{
    AppConfiguration configuration = AppConfiguration::release();
    // Tests replace the draft, the cloud store, the picker; the rest is built
    // for the configured origin.
    CaptureStoreOptions capture;
    DesktopNotifications *notifications = nullptr; // not taken over
    std::optional<NotchFacilities> notch;          // none: this desktop shows no notch
    std::function<bool()> active;                  // default: Qt's application state
    std::function<bool(const QUrl &)> openUrl;     // default: the desktop's browser
    QuitGuard::Ask ask;                            // default: the three-button alert
    std::function<void()> quit;                    // default: QCoreApplication::quit
    Clock *clock = Clock::continuous();            // the background loop's and the notch's
};

// The application itself: builds the one capture store with everything it
// needs, starts the notch, the background loop and the session refresh on
// activation, takes URLs opened with the application, and guards quitting.
class AppDelegate : public QObject
{
    Q_OBJECT
public:
    explicit AppDelegate(AppDelegateOptions options = AppDelegateOptions(), QObject *parent = nullptr);
    ~AppDelegate() override;

    [[nodiscard]] CaptureStore *store() const { return m_store; }
    [[nodiscard]] NotchController *notch() const { return m_notch.get(); }
    [[nodiscard]] EncouragementAlerts *alerts() const { return m_alerts; }
    [[nodiscard]] const AppConfiguration &configuration() const { return m_options.configuration; }

    // Start-up, once the application object runs.
    void launch();
    // The user started the application again; `token` is the launcher's
    // activation token, or empty.
    void reopen(const QByteArray &token = {});
    // URLs opened with the application (untrusted): each is offered to the
    // sign-in, and the application comes forward when one completes it.
    void open(const QStringList &urls, const QByteArray &token = {});
    // Whether the application may end now (asks about unsaved edits).
    [[nodiscard]] bool shouldTerminate();
    // Termination is certain: stop the loop, the observers and the notch.
    void terminate();
    // Quit through the guard; nothing happens when it refuses.
    void requestQuit();
    // Told to end by the system (a signal at log-out): nobody can be asked,
    // so the note is kept as the local draft when it can be.
    void endNow();
    // Every ending passes here (the session manager's quit, a signal, Quit):
    // unless a quit was already guarded, what was typed is kept, then the
    // application terminates.
    void end();
    // The session manager asks to keep the user's data before a log-out that
    // may still be cancelled: both notes are written locally; nothing stops.
    void keepTypedText();

    void quickRecord();
    void openWeb();
    // A command from the tray, the desktop or a later start; `token` is the
    // launcher's activation token, so the panel may take the keyboard.
    void perform(AppCommand command, const QByteArray &token = {});

private:
    class Hooks;
    void startLoop();

    AppDelegateOptions m_options;
    CaptureStore *m_store = nullptr;
    EncouragementAlerts *m_alerts = nullptr;
    std::unique_ptr<NotchController> m_notch;
    std::optional<std::stop_source> m_loop;
    QMetaObject::Connection m_activeToken;
    bool m_launched = false;
    bool m_terminated = false;
};

} // namespace vorno
