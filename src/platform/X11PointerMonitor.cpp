#include "X11PointerMonitor.h"

#include <QCursor>
#include <QMetaObject>

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <sys/socket.h>

#include <chrono>
#include <cstdlib>
#include <optional>

namespace vorno {

namespace {

// Motion this close to the area is told at once, so a pointer on its way
// there is never a frame late.
constexpr int nearMargin = 64;
// Far from the area, motion is read at most this often.
constexpr std::chrono::milliseconds farInterval {16};

} // namespace

struct X11PointerMonitor::Connection
{
    xcb_connection_t *x = nullptr;
    xcb_window_t root = XCB_WINDOW_NONE;
    uint8_t opcode = 0;

    ~Connection()
    {
        if (x)
            xcb_disconnect(x);
    }

    [[nodiscard]] std::optional<QPoint> query() const
    {
        xcb_query_pointer_reply_t *reply = xcb_query_pointer_reply(x, xcb_query_pointer(x, root), nullptr);
        if (!reply)
            return std::nullopt;
        const QPoint point(reply->root_x, reply->root_y);
        free(reply);
        return point;
    }
};

X11PointerMonitor::X11PointerMonitor(QObject *parent)
    : PointerMonitor(parent), m_connection(std::make_unique<Connection>())
{
    m_xwayland = qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
    xcb_connection_t *x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x)) {
        xcb_disconnect(x);
        return;
    }
    m_connection->x = x;
    m_connection->root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    const xcb_query_extension_reply_t *extension = xcb_get_extension_data(x, &xcb_input_id);
    if (!extension || !extension->present)
        return;
    m_connection->opcode = extension->major_opcode;
    // Raw events need XInput 2.0 announced on this connection.
    free(xcb_input_xi_query_version_reply(x, xcb_input_xi_query_version(x, 2, 0), nullptr));
    struct
    {
        xcb_input_event_mask_t head;
        uint32_t mask;
    } selection {{XCB_INPUT_DEVICE_ALL_MASTER, 1}, XCB_INPUT_XI_EVENT_MASK_RAW_MOTION};
    xcb_input_xi_select_events(x, m_connection->root, 1, &selection.head);
    xcb_flush(x);
    m_listening = true;
    m_reader = std::jthread([this](std::stop_token stop) { read(std::move(stop)); });
}

X11PointerMonitor::~X11PointerMonitor()
{
    if (m_reader.joinable()) {
        m_reader.request_stop();
        m_stopped.notify_all();
        // Ends the reader's wait for the next event.
        shutdown(xcb_get_file_descriptor(m_connection->x), SHUT_RDWR);
        m_reader.join();
    }
}

QPoint X11PointerMonitor::position() const
{
    if (!m_listening)
        return QCursor::pos();
    return m_connection->query().value_or(QPoint(-1, -1));
}

void X11PointerMonitor::setArea(QRect area)
{
    const std::scoped_lock lock(m_mutex);
    m_area = area;
}

void X11PointerMonitor::read(std::stop_token stop)
{
    xcb_connection_t *x = m_connection->x;
    bool wasNear = true; // the first motion is told wherever it is
    while (!stop.stop_requested()) {
        xcb_generic_event_t *event = xcb_wait_for_event(x);
        if (!event)
            return; // the connection ended
        // Everything already read counts as one motion.
        bool motion = false;
        for (; event; event = xcb_poll_for_queued_event(x)) {
            const auto *generic = reinterpret_cast<const xcb_ge_generic_event_t *>(event);
            motion = motion
                 || ((event->response_type & 0x7f) == XCB_GE_GENERIC && generic->extension == m_connection->opcode
                     && generic->event_type == XCB_INPUT_RAW_MOTION);
            free(event);
        }
        if (!motion)
            continue;
        const std::optional<QPoint> point = m_connection->query();
        if (!point)
            return;
        QRect area;
        {
            const std::scoped_lock lock(m_mutex);
            area = m_area;
        }
        const bool near = area.adjusted(-nearMargin, -nearMargin, nearMargin, nearMargin).contains(*point);
        if (near || wasNear) {
            QMetaObject::invokeMethod(
                this, [this, position = *point] { Q_EMIT moved(position); }, Qt::QueuedConnection);
        }
        wasNear = near;
        if (!near) {
            std::unique_lock lock(m_mutex);
            m_stopped.wait_for(lock, stop, farInterval, [] { return false; });
        }
    }
}

} // namespace vorno
