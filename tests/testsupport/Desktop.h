#pragma once

#include <QDBusConnection>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QSize>
#include <QString>
#include <QTemporaryDir>

#include <xcb/xcb.h>

#include <memory>
#include <optional>

class PrivateSessionBus;

// One desktop as users run it, from Debian's own packages, on a display and
// session bus of its own: a window manager on Xvfb, or GNOME Shell on X11 or
// on Wayland (where X clients go through XWayland). Driven as a person
// would: the pointer, the keys, and pictures of the screen.
class Desktop
{
public:
    enum class Kind { openbox, xfwm4, xfwm4Composited, kwin, mutter, gnomeShell, gnomeShellWayland };

    explicit Desktop(Kind kind, QSize screen = QSize(1920, 1080));
    ~Desktop();
    Desktop(const Desktop &) = delete;
    Desktop &operator=(const Desktop &) = delete;

    [[nodiscard]] bool isRunning() const { return m_error.isEmpty(); }
    [[nodiscard]] QString error() const { return m_error; }
    [[nodiscard]] bool isWayland() const { return m_kind == Kind::gnomeShellWayland; }
    // What a program started in this session finds: display, bus, runtime directory.
    [[nodiscard]] QProcessEnvironment environment() const { return m_environment; }
    // A connection of the test's own to the desktop's X server (XWayland's on Wayland).
    [[nodiscard]] xcb_connection_t *x() const { return m_x; }
    [[nodiscard]] xcb_window_t root() const;
    [[nodiscard]] QRect workArea() const;

    // GNOME Shell's overview closed (it opens when a session starts with no
    // window); nothing to do elsewhere.
    [[nodiscard]] bool calm();

    void moveTo(QPoint point);
    void press();
    void release();
    void click(QPoint point);
    void type(const QString &text);
    // One key with Control held, or alone (`control` false); `key` is an X keysym name.
    void key(const QString &key, bool control = false);
    // The screen (or `area` of it) now; the last picture taken stays for a failure report.
    [[nodiscard]] QImage screenshot(const QRect &area = {});
    [[nodiscard]] QImage lastScreenshot() const { return m_lastShot; }
    // The screen (or `area`) once it has stopped changing outside `moving`
    // (a caret's blink, say): window managers animate a window's arrival, and
    // the notch springs past its size before it rests.
    [[nodiscard]] QImage steadyScreenshot(const QRect &area, const QRect &moving = {});

    // A native Wayland window (weston-terminal), and its frame on screen.
    [[nodiscard]] std::optional<QRect> openWaylandWindow();

private:
    bool startServer();
    bool startX11(const QStringList &manager, const QStringList &environment, bool compositor);
    bool startGnomeShell(bool wayland);
    bool connectX(const QString &display, const QString &authority);
    bool waitForShell();
    [[nodiscard]] std::optional<QString> eval(const QString &script);
    void xte(const QStringList &commands);
    void button(bool down);

    Kind m_kind;
    QSize m_screen;
    QTemporaryDir m_home;
    std::unique_ptr<PrivateSessionBus> m_bus;
    QProcessEnvironment m_environment;
    QProcess m_server;
    QProcess m_manager;
    QProcess m_nativeWindow;
    QString m_systemBusPidFile;
    QString m_error;
    xcb_connection_t *m_x = nullptr;
    std::optional<QDBusConnection> m_session;
    int m_shot = 0;
    QImage m_lastShot;
};
