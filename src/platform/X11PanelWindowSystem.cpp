#include "platform/X11PanelWindowSystem.h"

#include "platform/X11Connection.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace vorno {

namespace {

void sendToRoot(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t type, std::array<uint32_t, 5> data)
{
    const xcb_window_t root = X11Connection::root(connection);
    xcb_client_message_event_t message {};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = type;
    std::copy(data.begin(), data.end(), message.data.data32);
    xcb_send_event(connection, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&message));
}

// `region` in device pixels; the shape of `kind` becomes exactly that.
void setShape(QWindow *window, xcb_shape_kind_t kind, const QRegion &region)
{
    xcb_connection_t *c = X11Connection::get();
    if (!c || !window || !window->handle())
        return;
    const double ratio = window->devicePixelRatio();
    std::vector<xcb_rectangle_t> rectangles;
    for (const QRect &rect : region) {
        const QRect device(QPoint(int(rect.x() * ratio), int(rect.y() * ratio)),
                           QPoint(int((rect.right() + 1) * ratio) - 1, int((rect.bottom() + 1) * ratio) - 1));
        rectangles.push_back(
            {int16_t(device.x()), int16_t(device.y()), uint16_t(device.width()), uint16_t(device.height())});
    }
    xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, kind, XCB_CLIP_ORDERING_UNSORTED, xcb_window_t(window->winId()), 0, 0,
                         uint32_t(rectangles.size()), rectangles.data());
    xcb_flush(c);
}

// The X server's time now. Qt's idea of it is the time of the last event it
// saw, which is older than whatever the user did in other windows since: a
// request with it is refused by focus-stealing prevention.
xcb_timestamp_t serverTime()
{
    xcb_connection_t *x = xcb_connect(nullptr, nullptr);
    xcb_timestamp_t time = XCB_CURRENT_TIME;
    if (!xcb_connection_has_error(x)) {
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
        const xcb_window_t probe = xcb_generate_id(x);
        const uint32_t values[] = {1, XCB_EVENT_MASK_PROPERTY_CHANGE};
        xcb_create_window(x, 0, probe, screen->root, -1, -1, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT,
                          XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
        // A property change on it comes back as an event stamped with the time.
        xcb_change_property(x, XCB_PROP_MODE_APPEND, probe, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, nullptr);
        xcb_flush(x);
        while (xcb_generic_event_t *event = xcb_wait_for_event(x)) {
            const bool done = (event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY;
            if (done)
                time = reinterpret_cast<xcb_property_notify_event_t *>(event)->time;
            free(event);
            if (done)
                break;
        }
    }
    xcb_disconnect(x);
    return time;
}

// Ends the launcher's startup feedback for `token`, as the startup
// notification protocol asks of the window that answers it.
void announceStartupEnd(xcb_connection_t *c, xcb_window_t window, const QByteArray &token)
{
    const QByteArray message = "remove: ID=" + token + '\0';
    const std::vector<xcb_atom_t> atoms = X11Connection::atoms(c, {"_NET_STARTUP_INFO_BEGIN", "_NET_STARTUP_INFO"});
    constexpr qsizetype chunk = 20;
    for (qsizetype at = 0; at < message.size(); at += chunk) {
        xcb_client_message_event_t event {};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 8;
        event.window = window;
        event.type = at == 0 ? atoms[0] : atoms[1];
        const QByteArray piece = message.mid(at, chunk);
        std::copy(piece.begin(), piece.end(), event.data.data8);
        xcb_send_event(c, 0, X11Connection::root(c), XCB_EVENT_MASK_PROPERTY_CHANGE,
                       reinterpret_cast<const char *>(&event));
    }
}

} // namespace

void X11PanelWindowSystem::activate(QWindow *window, const QByteArray &token)
{
    xcb_connection_t *c = X11Connection::get();
    if (!c || !window || !window->handle()) {
        if (window)
            window->requestActivate();
        return;
    }
    const auto id = xcb_window_t(window->winId());
    const std::vector<xcb_atom_t> atoms
        = X11Connection::atoms(c, {"_NET_STARTUP_ID", "UTF8_STRING", "_NET_WM_USER_TIME", "_NET_ACTIVE_WINDOW"});
    if (!token.isEmpty()) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atoms[0], atoms[1], 8, uint32_t(token.size()),
                            token.constData());
        announceStartupEnd(c, id, token);
    }
    const xcb_timestamp_t time = serverTime();
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atoms[2], XCB_ATOM_CARDINAL, 32, 1, &time);
    const std::vector<uint32_t> active
        = X11Connection::property32(c, X11Connection::root(c), atoms[3], XCB_ATOM_WINDOW);
    constexpr uint32_t fromApplication = 1;
    sendToRoot(c, id, atoms[3], {fromApplication, time, active.empty() ? 0u : active.front(), 0, 0});
    // A click on the closed notch already made KWin offer it the focus
    // (WM_TAKE_FOCUS), declined then because the notch takes no keyboard;
    // KWin counts the window as being activated and ignores the request
    // above. Taking the focus is what that offer allowed.
    free(xcb_request_check(c, xcb_set_input_focus_checked(c, XCB_INPUT_FOCUS_PARENT, id, time)));
}

void X11PanelWindowSystem::placeOnEveryWorkspace(QWindow *window)
{
    xcb_connection_t *c = X11Connection::get();
    if (!c || !window)
        return;
    const auto id = xcb_window_t(window->winId());
    constexpr uint32_t everyDesktop = 0xFFFFFFFF;
    constexpr uint32_t add = 1;
    // The property for a window not yet mapped, the messages for one the
    // window manager already manages; some managers honour only one of them.
    const std::vector<xcb_atom_t> atoms
        = X11Connection::atoms(c, {"_NET_WM_DESKTOP", "_NET_WM_STATE", "_NET_WM_STATE_STICKY", "_NET_WM_STATE_ABOVE"});
    const xcb_atom_t desktop = atoms[0];
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, desktop, XCB_ATOM_CARDINAL, 32, 1, &everyDesktop);
    sendToRoot(c, id, desktop, {everyDesktop, 1, 0, 0, 0});
    sendToRoot(c, id, atoms[1], {add, atoms[2], atoms[3], 1, 0});
    xcb_flush(c);
}

void X11PanelWindowSystem::setInputRegion(QWindow *window, const QRegion &region)
{
    setShape(window, XCB_SHAPE_SK_INPUT, region);
}

void X11PanelWindowSystem::setVisibleRegion(QWindow *window, const std::optional<QRegion> &region)
{
    if (region)
        return setShape(window, XCB_SHAPE_SK_BOUNDING, *region);
    xcb_connection_t *c = X11Connection::get();
    if (!c || !window || !window->handle())
        return;
    xcb_shape_mask(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, xcb_window_t(window->winId()), 0, 0, XCB_PIXMAP_NONE);
    xcb_flush(c);
}

} // namespace vorno
