#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace vorno::X11Connection {

// Qt's own X connection, or null when Qt does not run on X.
[[nodiscard]] xcb_connection_t *get();
[[nodiscard]] xcb_window_t root(xcb_connection_t *connection);
// The 32-bit values of a window property (at most 64).
[[nodiscard]] std::vector<uint32_t> property32(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t name,
                                               xcb_atom_t type);
// The atom of `name`, created when missing.
[[nodiscard]] xcb_atom_t atom(xcb_connection_t *connection, const char *name);
// The atoms of `names`, in their order, asked for together.
[[nodiscard]] std::vector<xcb_atom_t> atoms(xcb_connection_t *connection, std::initializer_list<const char *> names);

} // namespace vorno::X11Connection
