#include "app/MenuContent.h"

#include "app/AppDelegate.h"
#include "support/Symbols.h"
#include "support/Words.h"

#include <QEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QPalette>
#include <QSystemTrayIcon>
#include <QTimer>

namespace vorno {

namespace {

// The panels of GNOME are dark whatever the theme; elsewhere the panel
// follows the colour scheme.
QColor trayInk()
{
    if (qEnvironmentVariable("XDG_CURRENT_DESKTOP").contains(u"GNOME"_qs, Qt::CaseInsensitive))
        return QColor(0xf2, 0xf2, 0xf2);
    return QGuiApplication::palette().color(QPalette::WindowText);
}

QIcon trayIcon(bool themed)
{
    QIcon drawn;
    for (const int size : {16, 22, 24, 32, 48, 64})
        drawn.addPixmap(Symbols::pixmap(u"vorno.mark"_qs, size, trayInk(), 1.0));
    // Installed, the theme's symbolic icon lets the desktop recolour it.
    return themed ? QIcon::fromTheme(u"app.vorno.desktop-symbolic"_qs, drawn) : drawn;
}

// Reading the icon theme takes longer than the rest of the start together,
// and the drawn mark looks the same: the theme is asked once the panel is up.
constexpr auto themeDelay = std::chrono::seconds(1);

} // namespace

MenuContent::MenuContent(AppDelegate *delegate, QObject *parent)
    : QObject(parent), m_delegate(delegate), m_menu(std::make_unique<QMenu>())
{
    const auto command = [this](Words words, auto action, QKeySequence shortcut = {}) {
        QAction *item = m_menu->addAction(words.string());
        connect(item, &QAction::triggered, this, [this, action] {
            if (m_delegate)
                action(m_delegate.data());
        });
        if (!shortcut.isEmpty()) {
            // A copy for the panel, so the shortcut works where the keyboard is.
            auto *copy = new QAction(words.string(), this);
            copy->setShortcut(shortcut);
            copy->setShortcutContext(Qt::WindowShortcut);
            connect(copy, &QAction::triggered, item, &QAction::trigger);
            m_commands.append(copy);
            item->setShortcut(shortcut);
        }
    };
    command(
        Words::quick, [](AppDelegate *d) { d->perform(AppCommand::quickRecord); }, QKeySequence(Qt::CTRL | Qt::Key_N));
    command(
        Words::files, [](AppDelegate *d) { d->perform(AppCommand::addFiles); }, QKeySequence(Qt::CTRL | Qt::Key_O));
    command(Words::web, [](AppDelegate *d) { d->openWeb(); });
    m_menu->addSeparator();
    command(
        Words::settings, [](AppDelegate *d) { d->perform(AppCommand::settings); },
        QKeySequence(Qt::CTRL | Qt::Key_Comma));
    command(Words::quit, [](AppDelegate *d) { d->requestQuit(); });

    m_tray = new QSystemTrayIcon(this);
    m_tray->setToolTip(u"Vorno"_qs);
    m_tray->setContextMenu(m_menu.get());
    retint();
    qApp->installEventFilter(this); // the ink follows the colour scheme
    // A plain click on the item, where the desktop reports one, is Quick record.
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger && m_delegate)
            m_delegate->perform(AppCommand::quickRecord);
    });
}

MenuContent::~MenuContent() = default;

bool MenuContent::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange)
        retint();
    return QObject::eventFilter(watched, event);
}

void MenuContent::retint()
{
    m_tray->setIcon(trayIcon(m_themed));
}

void MenuContent::addShortcuts(QWidget *window)
{
    window->addActions(m_commands);
}

bool MenuContent::show()
{
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return false;
    m_tray->show();
    QTimer::singleShot(themeDelay, this, [this] {
        m_themed = true;
        retint();
    });
    return true;
}

} // namespace vorno
