#include "PrivateDesktop.h"

#include "StopProcess.h"

#include <QElapsedTimer>
#include <QThread>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace {

// A connection of our own to `display`, or null.
xcb_connection_t *connect(const QString &display)
{
    xcb_connection_t *connection = xcb_connect(display.toLatin1().constData(), nullptr);
    if (!xcb_connection_has_error(connection))
        return connection;
    xcb_disconnect(connection);
    return nullptr;
}

// The caller frees the reply; null when the server gave none.
xcb_intern_atom_reply_t *internAtom(xcb_connection_t *connection, const char *name)
{
    return xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(strlen(name)), name), nullptr);
}

} // namespace

PrivateDesktop::PrivateDesktop(QSize size, bool compositor)
    : m_previousDisplay(qgetenv("DISPLAY")), m_ownRuntime(!qEnvironmentVariableIsSet("XDG_RUNTIME_DIR"))
{
    // The desktop's clients and Qt's X platform want a runtime directory and a
    // session bus; without a bus of our own, libdbus would start one through
    // the X server, which stalls.
    if (m_ownRuntime)
        qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
    if (!m_bus.isRunning()) {
        m_error = m_bus.error();
        return;
    }
    endWithParent(m_server);
    endWithParent(m_manager);
    endWithParent(m_compositor);
    // -displayfd picks a free display and names it on the given descriptor.
    m_server.start(QStringLiteral("Xvfb"),
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
                    QStringLiteral("%1x%2x24").arg(size.width()).arg(size.height()), QStringLiteral("+extension"),
                    QStringLiteral("RANDR"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    if (!m_server.waitForStarted(10000)) {
        m_error = QStringLiteral("Xvfb did not start: ") + m_server.errorString();
        return;
    }
    QElapsedTimer waited;
    waited.start();
    while (!m_server.canReadLine() && waited.elapsed() < 10000)
        m_server.waitForReadyRead(200);
    const QByteArray number = m_server.readLine().trimmed();
    if (number.isEmpty()) {
        m_error = QStringLiteral("Xvfb named no display");
        return;
    }
    m_display = u':' + QString::fromLatin1(number);
    qputenv("DISPLAY", m_display.toLatin1());

    m_manager.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_manager.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    if (!m_manager.waitForStarted(10000) || !waitForRootProperty("_NET_SUPPORTING_WM_CHECK", false)
        || !waitUntilManaging()) {
        m_error = QStringLiteral("openbox did not take the display");
        return;
    }
    if (compositor) {
        m_compositor.start(QStringLiteral("xcompmgr"), {QStringLiteral("-n")});
        if (!m_compositor.waitForStarted(10000) || !waitForRootProperty("_NET_WM_CM_S0", true))
            m_error = QStringLiteral("xcompmgr did not take the display");
    }
}

PrivateDesktop::~PrivateDesktop()
{
    stopProcess(m_compositor);
    stopProcess(m_manager);
    stopProcess(m_server);
    if (m_previousDisplay.isNull())
        qunsetenv("DISPLAY");
    else
        qputenv("DISPLAY", m_previousDisplay);
    if (m_ownRuntime)
        qunsetenv("XDG_RUNTIME_DIR");
}

bool PrivateDesktop::waitForRootProperty(const char *name, bool selectionOwner)
{
    xcb_connection_t *connection = connect(m_display);
    if (!connection)
        return false;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_intern_atom_reply_t *atom = internAtom(connection, name);
    bool found = false;
    QElapsedTimer waited;
    waited.start();
    while (atom && !found && waited.elapsed() < 10000) {
        if (selectionOwner) {
            auto *owner = xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
            found = owner && owner->owner != XCB_WINDOW_NONE;
            free(owner);
        } else {
            auto *value = xcb_get_property_reply(
                connection, xcb_get_property(connection, 0, root, atom->atom, XCB_ATOM_WINDOW, 0, 1), nullptr);
            found = value && xcb_get_property_value_length(value) > 0;
            free(value);
        }
        if (!found)
            QThread::msleep(20);
    }
    free(atom);
    xcb_disconnect(connection);
    return found;
}

bool PrivateDesktop::waitUntilManaging()
{
    // openbox names itself on the root before it handles map requests, and a
    // window mapped in between stays unmapped: map a probe until it is managed.
    xcb_connection_t *connection = connect(m_display);
    if (!connection)
        return false;
    xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_window_t probe = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, probe, screen->root, 0, 0, 8, 8, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    const char *name = "WM_STATE";
    xcb_intern_atom_reply_t *atom = internAtom(connection, name);
    bool managed = false;
    QElapsedTimer waited;
    waited.start();
    while (atom && !managed && waited.elapsed() < 10000) {
        xcb_map_window(connection, probe);
        for (int poll = 0; poll < 25 && !managed; ++poll) {
            QThread::msleep(20);
            auto *value = xcb_get_property_reply(
                connection, xcb_get_property(connection, 0, probe, atom->atom, atom->atom, 0, 2), nullptr);
            managed = value && xcb_get_property_value_length(value) > 0;
            free(value);
        }
    }
    free(atom);
    xcb_destroy_window(connection, probe);
    xcb_flush(connection);
    xcb_disconnect(connection);
    return managed;
}

bool PrivateDesktop::run(const QString &program, const QStringList &arguments) const
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(program, arguments);
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}
