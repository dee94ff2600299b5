#include "X11PointerMonitor.h"

#include "X11Connection.h"

#include <QCursor>
#include <QGuiApplication>

#include <xcb/xcb.h>
#include <xcb/xinput.h>

namespace vorno {

X11PointerMonitor::X11PointerMonitor(QObject *parent) : PointerMonitor(parent)
{
    m_xwayland = qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
    xcb_connection_t *connection = X11Connection::get();
    if (!connection)
        return;
    const xcb_query_extension_reply_t *extension = xcb_get_extension_data(connection, &xcb_input_id);
    if (!extension || !extension->present)
        return;
    m_opcode = extension->major_opcode;
    const xcb_window_t root = X11Connection::root(connection);
    // Only the master devices: selecting all devices would replace Qt's own
    // root selection and deliver every motion twice.
    struct
    {
        xcb_input_event_mask_t head;
        uint32_t mask;
    } selection {{XCB_INPUT_DEVICE_ALL_MASTER, 1}, XCB_INPUT_XI_EVENT_MASK_RAW_MOTION};
    xcb_input_xi_select_events(connection, root, 1, &selection.head);
    xcb_flush(connection);
    qGuiApp->installNativeEventFilter(this);
    m_listening = true;
}

X11PointerMonitor::~X11PointerMonitor()
{
    if (m_listening && qGuiApp)
        qGuiApp->removeNativeEventFilter(this);
}

QPoint X11PointerMonitor::position() const
{
    return QCursor::pos();
}

bool X11PointerMonitor::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7f) != XCB_GE_GENERIC)
        return false;
    const auto *generic = static_cast<const xcb_ge_generic_event_t *>(message);
    if (generic->extension == m_opcode && generic->event_type == XCB_INPUT_RAW_MOTION)
        Q_EMIT moved();
    return false;
}

} // namespace vorno
