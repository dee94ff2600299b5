#include "XTestInput.h"

#include "platform/X11Connection.h"

#include <xcb/xtest.h>

#include <cstdlib>

namespace X11Connection = vorno::X11Connection;

namespace XTestInput {

void moveTo(QPoint point)
{
    xcb_connection_t *c = X11Connection::get();
    xcb_test_fake_input(c, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, X11Connection::root(c), int16_t(point.x()),
                        int16_t(point.y()), 0);
    xcb_flush(c);
}

void clickAt(QPoint point)
{
    moveTo(point);
    xcb_connection_t *c = X11Connection::get();
    xcb_test_fake_input(c, XCB_BUTTON_PRESS, 1, XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0, 0);
    xcb_test_fake_input(c, XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0, 0);
    xcb_flush(c);
}

uint32_t windowUnderPointer()
{
    xcb_connection_t *c = X11Connection::get();
    xcb_window_t window = X11Connection::root(c);
    for (;;) {
        auto *pointer = xcb_query_pointer_reply(c, xcb_query_pointer(c, window), nullptr);
        const xcb_window_t child = pointer ? pointer->child : xcb_window_t(XCB_WINDOW_NONE);
        free(pointer);
        if (child == XCB_WINDOW_NONE)
            return window;
        window = child;
    }
}

} // namespace XTestInput
