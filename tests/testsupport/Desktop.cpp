#include "Desktop.h"

#include "PrivateSessionBus.h"
#include "StopProcess.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPainter>
#include <QTest>
#include <QThread>

#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr int startTimeoutMs = 60000;
// Two pictures this far apart that agree show a screen at rest.
constexpr int steadyIntervalMs = 250;

xcb_atom_t atom(xcb_connection_t *x, const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, uint16_t(strlen(name)), name), nullptr);
    const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return value;
}

bool hasSelectionOwner(xcb_connection_t *x, const char *name)
{
    auto *owner = xcb_get_selection_owner_reply(x, xcb_get_selection_owner(x, atom(x, name)), nullptr);
    const bool owned = owner && owner->owner != XCB_WINDOW_NONE;
    free(owner);
    return owned;
}

// A window manager names itself on the root before it handles map requests:
// map a probe until it is managed.
bool managing(xcb_connection_t *x, xcb_window_t root)
{
    const xcb_window_t probe = xcb_generate_id(x);
    xcb_create_window(x, XCB_COPY_FROM_PARENT, probe, root, 0, 0, 8, 8, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    const xcb_atom_t state = atom(x, "WM_STATE");
    bool managed = false;
    QElapsedTimer waited;
    waited.start();
    while (!managed && waited.elapsed() < startTimeoutMs) {
        // Mapped before the manager took the display, it would stay unmanaged.
        xcb_unmap_window(x, probe);
        xcb_map_window(x, probe);
        xcb_flush(x);
        for (int poll = 0; poll < 25 && !managed; ++poll) {
            QThread::msleep(20);
            auto *value = xcb_get_property_reply(x, xcb_get_property(x, 0, probe, state, state, 0, 2), nullptr);
            managed = value && xcb_get_property_value_length(value) > 0;
            free(value);
        }
    }
    xcb_destroy_window(x, probe);
    xcb_flush(x);
    return managed;
}

} // namespace

Desktop::Desktop(Kind kind, QSize screen) : m_kind(kind), m_screen(screen), m_bus(std::make_unique<PrivateSessionBus>())
{
    if (!m_bus->isRunning()) {
        m_error = m_bus->error();
        return;
    }
    const QString home = m_home.path();
    for (const char *directory : {"run", "config", "data", "cache"})
        QDir(home).mkpath(QString::fromLatin1(directory));
    QFile::setPermissions(home + u"/run"_qs, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_environment = QProcessEnvironment::systemEnvironment();
    m_environment.remove(u"QT_QPA_PLATFORM"_qs); // a session's programs find no such setting
    m_environment.remove(u"WAYLAND_DISPLAY"_qs);
    m_environment.insert(u"HOME"_qs, home);
    m_environment.insert(u"XDG_RUNTIME_DIR"_qs, home + u"/run"_qs);
    m_environment.insert(u"XDG_CONFIG_HOME"_qs, home + u"/config"_qs);
    m_environment.insert(u"XDG_DATA_HOME"_qs, home + u"/data"_qs);
    m_environment.insert(u"XDG_CACHE_HOME"_qs, home + u"/cache"_qs);
    m_environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_qs, QString::fromUtf8(m_bus->address()));
    m_environment.insert(u"NO_AT_BRIDGE"_qs, u"1"_qs);

    switch (kind) {
    case Kind::openbox:
        startX11({u"openbox"_qs, u"--sm-disable"_qs}, {}, false);
        break;
    case Kind::xfwm4:
        startX11({u"xfwm4"_qs, u"--compositor=off"_qs}, {}, false);
        break;
    case Kind::xfwm4Composited:
        startX11({u"xfwm4"_qs, u"--compositor=on"_qs}, {}, true);
        break;
    case Kind::kwin:
        // OpenGL compositing through Mesa's software renderer.
        startX11({u"kwin_x11"_qs, u"--replace"_qs}, {u"KWIN_COMPOSE=O2"_qs}, true);
        break;
    case Kind::mutter:
        startX11({u"mutter"_qs, u"--x11"_qs, u"--replace"_qs}, {}, true);
        break;
    case Kind::gnomeShell:
        startGnomeShell(false);
        break;
    case Kind::gnomeShellWayland:
        startGnomeShell(true);
        break;
    }
}

Desktop::~Desktop()
{
    stopProcess(m_nativeWindow);
    if (m_x)
        xcb_disconnect(m_x);
    if (m_session)
        QDBusConnection::disconnectFromBus(m_session->name());
    stopProcess(m_manager);
    // The system bus of GNOME Shell's namespace outlives the shell's process.
    QFile pidFile(m_systemBusPidFile);
    if (!m_systemBusPidFile.isEmpty() && pidFile.open(QIODevice::ReadOnly)) {
        const qint64 pid = pidFile.readAll().trimmed().toLongLong();
        if (pid > 0)
            ::kill(pid_t(pid), SIGTERM);
    }
    stopProcess(m_server);
}

bool Desktop::connectX(const QString &display, const QString &authority)
{
    if (!authority.isEmpty())
        qputenv("XAUTHORITY", authority.toLocal8Bit());
    m_x = xcb_connect(display.toLatin1().constData(), nullptr);
    if (xcb_connection_has_error(m_x)) {
        xcb_disconnect(m_x);
        m_x = nullptr;
        m_error = u"cannot connect to the desktop's X display "_qs + display;
        return false;
    }
    m_environment.insert(u"DISPLAY"_qs, display);
    if (!authority.isEmpty())
        m_environment.insert(u"XAUTHORITY"_qs, authority);
    // Services the bus starts on demand (KWin's kglobalaccel) need the
    // display too; without it they abort and their caller waits.
    QDBusMessage update = QDBusMessage::createMethodCall(u"org.freedesktop.DBus"_qs, u"/org/freedesktop/DBus"_qs,
                                                        u"org.freedesktop.DBus"_qs, u"UpdateActivationEnvironment"_qs);
    QMap<QString, QString> variables;
    for (const QString &name : {u"DISPLAY"_qs, u"XAUTHORITY"_qs, u"WAYLAND_DISPLAY"_qs, u"HOME"_qs, u"XDG_RUNTIME_DIR"_qs,
                                u"XDG_CONFIG_HOME"_qs, u"XDG_DATA_HOME"_qs, u"XDG_CACHE_HOME"_qs})
        if (m_environment.contains(name))
            variables.insert(name, m_environment.value(name));
    qDBusRegisterMetaType<QMap<QString, QString>>();
    update << QVariant::fromValue(variables);
    QDBusConnection bus = QDBusConnection::connectToBus(QString::fromUtf8(m_bus->address()), u"activation"_qs);
    const QDBusMessage answer = bus.call(update, QDBus::Block, 10000);
    if (answer.type() != QDBusMessage::ReplyMessage)
        qWarning("the session bus kept its activation environment: %s", qPrintable(answer.errorMessage()));
    QDBusConnection::disconnectFromBus(u"activation"_qs);
    return true;
}

bool Desktop::startServer()
{
    endWithParent(m_server);
    m_server.start(u"Xvfb"_qs, {u"-displayfd"_qs, u"1"_qs, u"-screen"_qs, u"0"_qs,
                                QStringLiteral("%1x%2x24").arg(m_screen.width()).arg(m_screen.height()),
                                u"+extension"_qs, u"GLX"_qs, u"+extension"_qs, u"RANDR"_qs, u"-nolisten"_qs, u"tcp"_qs});
    if (!m_server.waitForStarted(10000) || !m_server.waitForReadyRead(10000)) {
        m_error = u"Xvfb did not start"_qs;
        return false;
    }
    return connectX(u':' + QString::fromLatin1(m_server.readLine().trimmed()), {});
}

bool Desktop::startX11(const QStringList &manager, const QStringList &environment, bool compositor)
{
    if (!startServer())
        return false;
    endWithParent(m_manager);
    QProcessEnvironment managerEnvironment = m_environment;
    for (const QString &assignment : environment)
        managerEnvironment.insert(assignment.section(u'=', 0, 0), assignment.section(u'=', 1));
    m_manager.setProcessEnvironment(managerEnvironment);
    m_manager.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_manager.setStandardOutputFile(QProcess::nullDevice());
    m_manager.start(manager.first(), manager.mid(1));
    if (!m_manager.waitForStarted(10000) || !managing(m_x, root())) {
        m_error = manager.first() + u" did not manage the display"_qs;
        return false;
    }
    QElapsedTimer waited;
    waited.start();
    while (compositor && !hasSelectionOwner(m_x, "_NET_WM_CM_S0") && waited.elapsed() < startTimeoutMs)
        QThread::msleep(50);
    if (compositor && !hasSelectionOwner(m_x, "_NET_WM_CM_S0")) {
        m_error = manager.first() + u" did not start compositing"_qs;
        return false;
    }
    return true;
}

bool Desktop::startGnomeShell(bool wayland)
{
    if (::geteuid() != 0) {
        m_error = u"GNOME Shell needs a system bus of its own, made in a private mount namespace as root"_qs;
        return false;
    }
    endWithParent(m_manager);
    if (!wayland && !startServer())
        return false;
    // A bare system bus in a mount namespace of its own: the shell needs one,
    // and asks logind on it only when /run/systemd/seats exists.
    const QString config = m_home.filePath(u"system-bus.conf"_qs);
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig><type>system</type><listen>unix:path=/run/dbus/system_bus_socket</listen><auth>EXTERNAL</auth>
<policy context="default"><allow user="*"/><allow own="*"/><allow send_type="method_call"/><allow send_type="signal"/>
<allow send_type="method_return"/><allow send_type="error"/><allow receive_type="method_call"/>
<allow receive_type="signal"/><allow receive_type="method_return"/><allow receive_type="error"/></policy></busconfig>
)");
    file.close();
    m_systemBusPidFile = m_home.filePath(u"system-bus.pid"_qs);
    const QString waylandDisplay = u"vorno-test-"_qs + QString::number(QCoreApplication::applicationPid());
    const QString shell = wayland ? u"gnome-shell --wayland --headless --virtual-monitor 1920x1080 --wayland-display="_qs
                                        + waylandDisplay + u" --unsafe-mode"_qs
                                  : u"gnome-shell --x11 --replace --unsafe-mode"_qs;
    const QString script
        = u"mkdir -p /run/dbus && mount -t tmpfs none /run/dbus && "
          "{ [ ! -d /run/systemd ] || mount -t tmpfs none /run/systemd; } && "
          "{ dbus-daemon --config-file=%1 --nofork & echo $! > %2; } && "
          "while [ ! -S /run/dbus/system_bus_socket ]; do sleep 0.05; done && exec %3"_qs.arg(config, m_systemBusPidFile, shell);
    QProcessEnvironment environment = m_environment;
    environment.insert(u"XDG_SESSION_TYPE"_qs, wayland ? u"wayland"_qs : u"x11"_qs);
    m_manager.setProcessEnvironment(environment);
    m_manager.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_manager.setStandardOutputFile(QProcess::nullDevice());
    m_manager.start(u"unshare"_qs, {u"-m"_qs, u"sh"_qs, u"-c"_qs, script});
    if (!m_manager.waitForStarted(10000) || !waitForShell()) {
        if (m_error.isEmpty())
            m_error = u"GNOME Shell did not start"_qs;
        return false;
    }
    if (wayland) {
        m_environment.insert(u"WAYLAND_DISPLAY"_qs, waylandDisplay);
        const std::optional<QString> display = eval(u"imports.gi.GLib.getenv('DISPLAY')"_qs);
        const std::optional<QString> authority = eval(u"imports.gi.GLib.getenv('XAUTHORITY')"_qs);
        if (!display || !authority) {
            m_error = u"GNOME Shell runs no XWayland"_qs;
            return false;
        }
        if (!connectX(QJsonDocument::fromJson("[" + display->toUtf8() + "]")[0].toString(),
                      QJsonDocument::fromJson("[" + authority->toUtf8() + "]")[0].toString()))
            return false;
    }
    return true;
}

bool Desktop::waitForShell()
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < startTimeoutMs) {
        if (m_manager.state() == QProcess::NotRunning)
            return false;
        if (!m_session)
            m_session = QDBusConnection::connectToBus(QString::fromUtf8(m_bus->address()),
                                                      u"desktop-"_qs + QString::number(quintptr(this)));
        const std::optional<QString> started = eval(u"!imports.ui.main.layoutManager._startingUp"_qs);
        if (started == u"true")
            break;
        QThread::msleep(200);
    }
    // It starts in the overview and greets a root session with a notification,
    // whose banner would cover the top centre: clear both, then block banners.
    if (eval(u"const C = imports.gi.Clutter, seat = C.get_default_backend().get_default_seat();"
             " global._vornoPointer = seat.create_virtual_device(C.InputDeviceType.POINTER_DEVICE);"
             " global._vornoKeys = seat.create_virtual_device(C.InputDeviceType.KEYBOARD_DEVICE); true"_qs)
        != u"true")
        return false;
    // The pointer resting in the top left corner would open the overview.
    (void)eval(u"new imports.gi.Gio.Settings({schema_id: 'org.gnome.desktop.interface'})"
               ".set_boolean('enable-hot-corners', false)"_qs);
    const bool calm = QTest::qWaitFor([this] {
        return eval(u"const main = imports.ui.main, tray = main.messageTray; main.overview.hide();"
                    " tray.getSources().forEach(source => source.destroy());"
                    " !main.overview.visible && !main.overview.animationInProgress"
                    " && tray._notificationState == 0 && tray.queueCount == 0"_qs)
            == u"true";
    }, startTimeoutMs);
    return calm && eval(u"imports.ui.main.messageTray.bannerBlocked = true"_qs) == u"true";
}

bool Desktop::calm()
{
    if (m_kind != Kind::gnomeShell && m_kind != Kind::gnomeShellWayland)
        return true;
    return QTest::qWaitFor([this] {
        return eval(u"const overview = imports.ui.main.overview; overview.hide();"
                    " !overview.visible && !overview.animationInProgress"_qs)
            == u"true";
    }, startTimeoutMs);
}

std::optional<QString> Desktop::eval(const QString &script)
{
    if (!m_session)
        return std::nullopt;
    QDBusMessage call = QDBusMessage::createMethodCall(u"org.gnome.Shell"_qs, u"/org/gnome/Shell"_qs,
                                                      u"org.gnome.Shell"_qs, u"Eval"_qs);
    call << script;
    const QDBusMessage reply = m_session->call(call, QDBus::Block, 10000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2 || !reply.arguments().at(0).toBool())
        return std::nullopt;
    return reply.arguments().at(1).toString();
}

xcb_window_t Desktop::root() const
{
    return xcb_setup_roots_iterator(xcb_get_setup(m_x)).data->root;
}

QRect Desktop::workArea() const
{
    const xcb_atom_t name = atom(m_x, "_NET_WORKAREA");
    auto *reply = xcb_get_property_reply(m_x, xcb_get_property(m_x, 0, root(), name, XCB_ATOM_CARDINAL, 0, 4), nullptr);
    QRect area(QPoint(0, 0), m_screen);
    if (reply && xcb_get_property_value_length(reply) >= 16) {
        const auto *values = static_cast<const uint32_t *>(xcb_get_property_value(reply));
        area = QRect(int(values[0]), int(values[1]), int(values[2]), int(values[3]));
    }
    free(reply);
    return area;
}

void Desktop::xte(const QStringList &commands)
{
    QProcess process;
    process.setProcessEnvironment(m_environment);
    process.start(u"xte"_qs, commands);
    process.waitForFinished(10000);
}

void Desktop::moveTo(QPoint point)
{
    if (isWayland()) {
        (void)eval(QStringLiteral("global._vornoPointer.notify_absolute_motion(imports.gi.GLib.get_monotonic_time(), %1, %2)")
                       .arg(point.x())
                       .arg(point.y()));
        return;
    }
    xte({QStringLiteral("mousemove %1 %2").arg(point.x()).arg(point.y())});
}

void Desktop::press()
{
    button(true);
}

void Desktop::release()
{
    button(false);
}

void Desktop::button(bool down)
{
    if (isWayland()) {
        (void)eval(QStringLiteral("global._vornoPointer.notify_button(imports.gi.GLib.get_monotonic_time(), 1,"
                                  " imports.gi.Clutter.ButtonState.%1)")
                       .arg(down ? u"PRESSED"_qs : u"RELEASED"_qs));
        return;
    }
    xte({down ? u"mousedown 1"_qs : u"mouseup 1"_qs});
}

void Desktop::click(QPoint point)
{
    moveTo(point);
    press();
    release();
}

void Desktop::type(const QString &text)
{
    if (isWayland()) {
        (void)eval(QStringLiteral("const C = imports.gi.Clutter; let t = imports.gi.GLib.get_monotonic_time();"
                                  " for (const c of %1) { const k = C.unicode_to_keysym(c.charCodeAt(0));"
                                  " global._vornoKeys.notify_keyval(t++, k, C.KeyState.PRESSED);"
                                  " global._vornoKeys.notify_keyval(t++, k, C.KeyState.RELEASED); } true")
                       .arg(QString::fromUtf8(QJsonDocument(QJsonArray {text}).toJson(QJsonDocument::Compact)) + u"[0]"_qs));
        return;
    }
    xte({u"str "_qs + text});
}

void Desktop::key(const QString &key, bool control)
{
    if (isWayland()) {
        (void)eval(QStringLiteral("const C = imports.gi.Clutter, k = global._vornoKeys; let t = imports.gi.GLib.get_monotonic_time();"
                                  " const held = %1; if (held) k.notify_keyval(t++, C.KEY_Control_L, C.KeyState.PRESSED);"
                                  " k.notify_keyval(t++, C.KEY_%2, C.KeyState.PRESSED); k.notify_keyval(t++, C.KEY_%2, C.KeyState.RELEASED);"
                                  " if (held) k.notify_keyval(t++, C.KEY_Control_L, C.KeyState.RELEASED); true")
                       .arg(control ? u"true"_qs : u"false"_qs, key));
        return;
    }
    if (control)
        xte({u"keydown Control_L"_qs, u"key "_qs + key, u"keyup Control_L"_qs});
    else
        xte({u"key "_qs + key});
}

QImage Desktop::screenshot(const QRect &requested)
{
    const QRect area = requested.isValid() ? requested : QRect(QPoint(0, 0), m_screen);
    // Pictures keep screen coordinates: the area sits where it is on screen.
    QImage picture(m_screen, QImage::Format_RGB32);
    picture.fill(Qt::transparent);
    if (isWayland()) {
        const QString file = m_home.filePath(QStringLiteral("shot-%1.png").arg(++m_shot));
        QDBusMessage call = QDBusMessage::createMethodCall(u"org.gnome.Shell.Screenshot"_qs, u"/org/gnome/Shell/Screenshot"_qs,
                                                          u"org.gnome.Shell.Screenshot"_qs, u"ScreenshotArea"_qs);
        call << area.x() << area.y() << area.width() << area.height() << false << file;
        (void)m_session->call(call, QDBus::Block, 10000);
        const QImage image(file);
        QFile::remove(file);
        QPainter(&picture).drawImage(area.topLeft(), image.convertToFormat(QImage::Format_RGB32));
    } else if (auto *reply = xcb_get_image_reply(m_x,
                                                 xcb_get_image(m_x, XCB_IMAGE_FORMAT_Z_PIXMAP, root(), int16_t(area.x()),
                                                               int16_t(area.y()), uint16_t(area.width()),
                                                               uint16_t(area.height()), ~0u),
                                                 nullptr)) {
        // 24-bit depth comes as 32 bits a pixel, blue first: Qt's RGB32 on little-endian machines.
        const QImage image(xcb_get_image_data(reply), area.width(), area.height(), QImage::Format_RGB32);
        QPainter(&picture).drawImage(area.topLeft(), image);
        free(reply);
    }
    m_lastShot = picture;
    return picture;
}

QImage Desktop::steadyScreenshot(const QRect &area, const QRect &moving)
{
    QImage before = screenshot(area);
    QImage after;
    const bool steady = QTest::qWaitFor([&] {
        QTest::qWait(steadyIntervalMs);
        after = screenshot(area);
        bool same = true;
        for (int y = area.top(); same && y <= area.bottom(); ++y)
            for (int x = area.left(); same && x <= area.right(); ++x)
                same = moving.contains(x, y) || before.pixel(x, y) == after.pixel(x, y);
        before = after;
        return same;
    }, startTimeoutMs);
    if (!steady)
        qWarning("the screen never came to rest; judging it as it was last seen");
    return after;
}

std::optional<QRect> Desktop::openWaylandWindow()
{
    if (!isWayland())
        return std::nullopt;
    endWithParent(m_nativeWindow);
    QProcessEnvironment environment = m_environment;
    environment.remove(u"DISPLAY"_qs);
    m_nativeWindow.setProcessEnvironment(environment);
    m_nativeWindow.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_nativeWindow.setStandardOutputFile(QProcess::nullDevice());
    m_nativeWindow.start(u"weston-terminal"_qs, {});
    if (!m_nativeWindow.waitForStarted(10000))
        return std::nullopt;
    std::optional<QRect> frame;
    (void)QTest::qWaitFor([&] {
        const std::optional<QString> found = eval(
            u"const w = global.get_window_actors().map(a => a.meta_window).find(w => w.get_client_type() == 0"
            " && w.get_wm_class() != 'gnome-shell'); w ? [w.get_frame_rect().x, w.get_frame_rect().y,"
            " w.get_frame_rect().width, w.get_frame_rect().height].join(',') : ''"_qs);
        const QStringList parts = found ? QString(*found).remove(u'"').split(u',') : QStringList();
        // Placed once it has a size: before, its frame sits at the corner.
        if (parts.size() == 4 && parts[2].toInt() > 0 && parts[3].toInt() > 0)
            frame = QRect(parts[0].toInt(), parts[1].toInt(), parts[2].toInt(), parts[3].toInt());
        return frame.has_value();
    }, startTimeoutMs);
    return frame;
}
