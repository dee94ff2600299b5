#include "X11DesktopWatcher.h"

#include "X11Connection.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace vorno {

namespace {

constexpr int settleMs = 60;

bool isOurs(xcb_window_t window)
{
    for (const QWindow *own : QGuiApplication::allWindows())
        if (own->handle() && xcb_window_t(own->winId()) == window)
            return true;
    return false;
}

} // namespace

X11DesktopWatcher::X11DesktopWatcher(QObject *parent) : DesktopWatcher(parent)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(settleMs);
    connect(&m_settle, &QTimer::timeout, this, &X11DesktopWatcher::reread);
    xcb_connection_t *c = X11Connection::get();
    if (!c)
        return;
    m_connection = c;
    m_root = X11Connection::root(c);
    const std::vector<xcb_atom_t> atoms = X11Connection::atoms(
        c, {"_NET_ACTIVE_WINDOW", "_NET_CURRENT_DESKTOP", "_NET_WM_STATE", "_NET_WM_STATE_FULLSCREEN"});
    m_activeAtom = atoms[0];
    m_desktopAtom = atoms[1];
    m_stateAtom = atoms[2];
    m_fullScreenAtom = atoms[3];
    // Qt already selects property changes on the root window.
    qGuiApp->installNativeEventFilter(this);
    reread();
}

X11DesktopWatcher::~X11DesktopWatcher()
{
    if (m_connection && qGuiApp)
        qGuiApp->removeNativeEventFilter(this);
}

void X11DesktopWatcher::watch(uint32_t window)
{
    auto *c = static_cast<xcb_connection_t *>(m_connection);
    if (window == m_watched)
        return;
    m_watched = window;
    // Never touch the masks of Qt's own windows; on others, add to the mask
    // this connection already has.
    if (window == XCB_WINDOW_NONE || isOurs(window))
        return;
    xcb_get_window_attributes_reply_t *attributes
        = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
    if (!attributes)
        return;
    const uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_PROPERTY_CHANGE;
    free(attributes);
    xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);
}

void X11DesktopWatcher::reread()
{
    auto *c = static_cast<xcb_connection_t *>(m_connection);
    if (!c)
        return;
    const auto active = X11Connection::property32(c, m_root, m_activeAtom, XCB_ATOM_WINDOW);
    const uint32_t window = active.empty() ? uint32_t(XCB_WINDOW_NONE) : active.front();
    watch(window);
    bool fullScreen = false;
    if (window != XCB_WINDOW_NONE) {
        for (const uint32_t state : X11Connection::property32(c, window, m_stateAtom, XCB_ATOM_ATOM))
            fullScreen = fullScreen || state == m_fullScreenAtom;
    }
    if (fullScreen == m_fullScreen)
        return;
    m_fullScreen = fullScreen;
    Q_EMIT fullScreenChanged();
}

bool X11DesktopWatcher::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
        return false;
    const auto *notify = static_cast<const xcb_property_notify_event_t *>(message);
    if (notify->window == m_root && notify->atom == m_desktopAtom)
        Q_EMIT workspaceChanged();
    else if ((notify->window == m_root && notify->atom == m_activeAtom)
             || (notify->window == m_watched && notify->atom == m_stateAtom))
        m_settle.start();
    return false;
}

} // namespace vorno
