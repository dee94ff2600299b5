#include "platform/X11Connection.h"

#include <QGuiApplication>

#include <cstdlib>
#include <cstring>

namespace vorno::X11Connection {

xcb_connection_t *get()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t root(xcb_connection_t *connection)
{
    return xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
}

std::vector<uint32_t> property32(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t name, xcb_atom_t type)
{
    std::vector<uint32_t> values;
    xcb_get_property_reply_t *reply
        = xcb_get_property_reply(connection, xcb_get_property(connection, 0, window, name, type, 0, 64), nullptr);
    if (reply && reply->format == 32) {
        const auto *data = static_cast<const uint32_t *>(xcb_get_property_value(reply));
        values.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    free(reply);
    return values;
}

xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    return atoms(connection, {name}).front();
}

std::vector<xcb_atom_t> atoms(xcb_connection_t *connection, std::initializer_list<const char *> names)
{
    // Every request goes out before the first answer is awaited: one round trip.
    std::vector<xcb_intern_atom_cookie_t> cookies;
    for (const char *name : names)
        cookies.push_back(xcb_intern_atom(connection, 0, uint16_t(strlen(name)), name));
    std::vector<xcb_atom_t> values;
    for (const xcb_intern_atom_cookie_t cookie : cookies) {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, nullptr);
        values.push_back(reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE));
        free(reply);
    }
    return values;
}

} // namespace vorno::X11Connection
