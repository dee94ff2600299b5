#pragma once

#include "app/AppDelegate.h"

#include <QObject>
#include <QStringList>

#include <memory>
#include <optional>

namespace vorno {

class DBusNotifications;
class GlobalShortcutsPortal;
class MenuContent;
class SingleInstance;
struct X11Desktop;

// The application as it runs on the desktop: the one instance on the session
// bus, the desktop's alerts and notch facilities, the delegate and the tray.
class VornoApplication : public QObject
{
    Q_OBJECT
public:
    enum class Start { running, forwarded, failed };

    // `options` may leave out what the desktop provides (alerts, the notch);
    // tests fill in their own seams.
    explicit VornoApplication(AppDelegateOptions options, QObject *parent = nullptr);
    ~VornoApplication() override;

    // Becomes the running instance, or hands `urls` or `command` to the one
    // that runs. A first start performs `command` once it runs.
    Start start(const QStringList &urls, bool background = false, std::optional<AppCommand> command = {});
    // Why start() failed, as one line for the user.
    [[nodiscard]] QString error() const { return m_error; }

    [[nodiscard]] AppDelegate *delegate() const { return m_delegate.get(); }
    [[nodiscard]] MenuContent *menu() const { return m_menu.get(); }
    [[nodiscard]] bool hasTray() const { return m_hasTray; }

private:
    AppDelegateOptions m_options;
    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<DBusNotifications> m_notifications;
    std::unique_ptr<X11Desktop> m_desktop;
    std::unique_ptr<GlobalShortcutsPortal> m_shortcuts;
    std::unique_ptr<AppDelegate> m_delegate;
    std::unique_ptr<MenuContent> m_menu;
    QString m_error;
    bool m_hasTray = false;
};

} // namespace vorno
