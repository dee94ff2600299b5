#include "platform/X11DesktopWatcher.h"

#include "platform/X11Connection.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace vorno {

namespace {

constexpr int quietMs = 60;

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
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(quietMs);
    connect(&m_quiet, &QTimer::timeout, this, &X11DesktopWatcher::reread);
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
    char *host = nullptr;
    int display = 0;
    int screen = 0;
    if (xcb_parse_display(nullptr, &host, &display, &screen))
        free(host);
    m_compositorAtom = X11Connection::atom(c, QByteArray("_NET_WM_CM_S" + QByteArray::number(screen)).constData());
    // Qt has initialised XFixes on its connection; a compositing manager that
    // comes or goes changes the selection's owner.
    const xcb_query_extension_reply_t *xfixes = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (xfixes && xfixes->present) {
        m_selectionNotify = xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY;
        xcb_xfixes_select_selection_input(c, m_root, m_compositorAtom,
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER
                                              | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY
                                              | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
        xcb_flush(c);
    }
    // Qt already selects property changes on the root window.
    qGuiApp->installNativeEventFilter(this);
    m_compositing = false;
    rereadCompositing();
    reread();
}

void X11DesktopWatcher::rereadCompositing()
{
    auto *c = static_cast<xcb_connection_t *>(m_connection);
    xcb_get_selection_owner_reply_t *owner
        = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, m_compositorAtom), nullptr);
    const bool compositing = owner && owner->owner != XCB_WINDOW_NONE;
    free(owner);
    if (compositing == m_compositing)
        return;
    m_compositing = compositing;
    Q_EMIT compositingChanged();
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
    if (m_selectionNotify && (event->response_type & 0x7f) == m_selectionNotify) {
        if (static_cast<const xcb_xfixes_selection_notify_event_t *>(message)->selection == m_compositorAtom)
            rereadCompositing();
        return false;
    }
    if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
        return false;
    const auto *notify = static_cast<const xcb_property_notify_event_t *>(message);
    if (notify->window == m_root && notify->atom == m_desktopAtom)
        Q_EMIT workspaceChanged();
    else if ((notify->window == m_root && notify->atom == m_activeAtom)
             || (notify->window == m_watched && notify->atom == m_stateAtom))
        m_quiet.start();
    return false;
}

} // namespace vorno
