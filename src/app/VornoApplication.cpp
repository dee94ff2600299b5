#include "app/VornoApplication.h"

#include "app/InputPanel.h"
#include "app/MenuContent.h"
#include "app/X11Desktop.h"
#include "platform/DBusNotifications.h"
#include "platform/GlobalShortcutsPortal.h"
#include "platform/SingleInstance.h"
#include "support/Spawn.h"
#include "support/Words.h"

#include <QGuiApplication>
#include <QSessionManager>

namespace vorno {

namespace {

// Suggested to the desktop, which may choose another; GNOME's and Xfce's
// default bindings leave it free.
constexpr char quickRecordTrigger[] = "CTRL+ALT+N";

} // namespace

VornoApplication::VornoApplication(AppDelegateOptions options, QObject *parent)
    : QObject(parent), m_options(std::move(options)), m_instance(std::make_unique<SingleInstance>())
{
}

VornoApplication::~VornoApplication()
{
    // The tray and the delegate go before the facilities they use.
    m_menu.reset();
    m_delegate.reset();
}

VornoApplication::Start VornoApplication::start(const QStringList &urls, bool background,
                                                std::optional<AppCommand> command)
{
    switch (m_instance->start(urls, background, command ? commandName(*command) : QString())) {
    case SingleInstance::Role::forwarded:
        return Start::forwarded;
    case SingleInstance::Role::failed:
        m_error = m_instance->error();
        return Start::failed;
    case SingleInstance::Role::first:
        break;
    }
    if (!m_options.notifications) {
        m_notifications = std::make_unique<DBusNotifications>();
        m_options.notifications = m_notifications.get();
    }
    if (!m_options.notch && QGuiApplication::platformName() == u"xcb") {
        m_desktop = std::make_unique<X11Desktop>();
        m_options.notch = m_desktop->facilities();
    }
    m_shortcuts = std::make_unique<GlobalShortcutsPortal>();
    if (m_options.notch)
        m_options.notch->view.preferences.shortcuts = m_shortcuts.get();
    m_delegate = std::make_unique<AppDelegate>(std::move(m_options));
    AppDelegate *delegate = m_delegate.get();
    connect(m_instance.get(), &SingleInstance::reopened, delegate, &AppDelegate::reopen);
    connect(m_instance.get(), &SingleInstance::opened, delegate, &AppDelegate::open);
    connect(m_instance.get(), &SingleInstance::actionActivated, delegate,
            [delegate](const QString &name, const QByteArray &token) {
                if (const std::optional<AppCommand> named = commandNamed(name))
                    delegate->perform(*named, token);
            });
    // Quick record from anywhere, where the desktop's portal offers it: the
    // desktop asks the user and keeps the trigger in its own settings.
    connect(m_shortcuts.get(), &GlobalShortcutsPortal::activated, delegate, [delegate](const QString &id) {
        if (id == commandName(AppCommand::quickRecord))
            delegate->perform(AppCommand::quickRecord);
    });
    spawn(m_shortcuts->bind(commandName(AppCommand::quickRecord), Words(Words::quick).string(),
                            QString::fromLatin1(quickRecordTrigger)));
    // The session manager ends us with a plain quit after asking to keep data;
    // neither may wait for the user, who is logging out.
    connect(qApp, &QCoreApplication::aboutToQuit, delegate, &AppDelegate::end);
    connect(qApp, &QGuiApplication::commitDataRequest, delegate,
            [delegate](QSessionManager &) { delegate->keepTypedText(); });
    delegate->launch();

    m_menu = std::make_unique<MenuContent>(delegate);
    if (delegate->notch())
        m_menu->addShortcuts(delegate->notch()->panel());
    m_hasTray = m_menu->show();
    delegate->open(urls);
    if (command)
        delegate->perform(*command);
    return Start::running;
}

} // namespace vorno
