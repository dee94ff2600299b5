#pragma once

#include <xcb/xcb.h>

namespace vorno::X11Connection {

// Qt's own X connection, or null when Qt does not run on X.
[[nodiscard]] xcb_connection_t *get();
[[nodiscard]] xcb_window_t root(xcb_connection_t *connection);
// The atom of `name`, created when missing.
[[nodiscard]] xcb_atom_t atom(xcb_connection_t *connection, const char *name);

} // namespace vorno::X11Connection
