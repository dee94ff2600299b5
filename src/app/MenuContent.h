#pragma once

#include <QObject>
#include <QPointer>

#include <memory>

class QAction;
class QMenu;
class QSystemTrayIcon;
class QWidget;

namespace vorno {

class AppDelegate;

// The tray item and its menu (Quick record, Add files, Open Vorno web,
// Settings, Quit Vorno), and the same commands as shortcuts on the panel.
class MenuContent : public QObject
{
    Q_OBJECT
public:
    explicit MenuContent(AppDelegate *delegate, QObject *parent = nullptr);
    ~MenuContent() override;

    [[nodiscard]] QMenu *menu() const { return m_menu.get(); }
    [[nodiscard]] QSystemTrayIcon *tray() const { return m_tray; }
    // Ctrl+N, Ctrl+O and Ctrl+, while `window` has the keyboard.
    void addShortcuts(QWidget *window);
    // Shows the tray item; false where the desktop has no tray.
    bool show();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void retint();

    QPointer<AppDelegate> m_delegate;
    std::unique_ptr<QMenu> m_menu; // a top-level widget: no parent to own it
    QSystemTrayIcon *m_tray = nullptr;
    QList<QAction *> m_commands;
    bool m_themed = false; // whether the icon theme has been asked
};

} // namespace vorno
