#include "X11PanelWindowSystem.h"

#include "X11Connection.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/shape.h>
#include <xcb/xcb.h>

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

} // namespace

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
    xcb_connection_t *c = X11Connection::get();
    if (!c || !window || !window->handle())
        return;
    const double ratio = window->devicePixelRatio();
    std::vector<xcb_rectangle_t> rectangles;
    for (const QRect &rect : region) {
        const QRect device(QPoint(int(rect.x() * ratio), int(rect.y() * ratio)),
                           QPoint(int((rect.right() + 1) * ratio) - 1, int((rect.bottom() + 1) * ratio) - 1));
        rectangles.push_back({int16_t(device.x()), int16_t(device.y()), uint16_t(device.width()),
                              uint16_t(device.height())});
    }
    xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED,
                         xcb_window_t(window->winId()), 0, 0, uint32_t(rectangles.size()), rectangles.data());
    xcb_flush(c);
}

} // namespace vorno
