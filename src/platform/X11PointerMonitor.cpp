#include "platform/X11PointerMonitor.h"

#include <QCursor>
#include <QMetaObject>

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <optional>

namespace vorno {

namespace {

// Motion this close to the area is told at once, so a pointer on its way
// there is never a frame late.
constexpr int nearMargin = 64;
// Far from the area, the pointer is asked for where it is no sooner than a
// pointer moving this fast could reach the area, within these bounds: a
// fling from afar is seen at most the longest interval late, while the
// pointer that comes near is followed at once. Every wake-up costs tens of
// microseconds, so this is what keeps a moving mouse elsewhere cheap.
constexpr int pixelsPerMillisecond = 4;
constexpr std::chrono::milliseconds shortestInterval {16};
constexpr std::chrono::milliseconds longestInterval {100};
// Polls without motion after which motion is heard again instead.
constexpr int restPolls = 3;

std::chrono::milliseconds intervalFor(QRect near, QPoint point)
{
    const int dx = std::max({near.left() - point.x(), point.x() - near.right(), 0});
    const int dy = std::max({near.top() - point.y(), point.y() - near.bottom(), 0});
    return std::clamp(std::chrono::milliseconds(std::max(dx, dy) / pixelsPerMillisecond), shortestInterval,
                      longestInterval);
}

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
    select(true);
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

void X11PointerMonitor::select(bool on) const
{
    struct
    {
        xcb_input_event_mask_t head;
        uint32_t mask;
    } selection {{XCB_INPUT_DEVICE_ALL_MASTER, 1}, on ? uint32_t(XCB_INPUT_XI_EVENT_MASK_RAW_MOTION) : 0U};
    xcb_input_xi_select_events(m_connection->x, m_connection->root, 1, &selection.head);
    xcb_flush(m_connection->x);
}

QRect X11PointerMonitor::nearArea()
{
    const std::scoped_lock lock(m_mutex);
    return m_area.adjusted(-nearMargin, -nearMargin, nearMargin, nearMargin);
}

void X11PointerMonitor::tell(QPoint point)
{
    QMetaObject::invokeMethod(
        this, [this, point] { Q_EMIT moved(point); }, Qt::QueuedConnection);
}

bool X11PointerMonitor::waitForMotion(std::stop_token stop) const
{
    xcb_connection_t *x = m_connection->x;
    for (xcb_generic_event_t *event = xcb_wait_for_event(x); event; event = xcb_wait_for_event(x)) {
        // Everything already read counts as one motion.
        bool motion = false;
        for (; event; event = xcb_poll_for_queued_event(x)) {
            const auto *generic = reinterpret_cast<const xcb_ge_generic_event_t *>(event);
            motion = motion
                || ((event->response_type & 0x7f) == XCB_GE_GENERIC && generic->extension == m_connection->opcode
                    && generic->event_type == XCB_INPUT_RAW_MOTION);
            free(event);
        }
        if (motion || stop.stop_requested())
            return motion;
    }
    return false; // the connection ended
}

void X11PointerMonitor::read(std::stop_token stop)
{
    bool wasNear = true; // the first motion is told wherever it is
    while (!stop.stop_requested()) {
        if (!waitForMotion(stop))
            return;
        std::optional<QPoint> point = m_connection->query();
        if (!point)
            return;
        const bool near = nearArea().contains(*point);
        if (near || wasNear)
            tell(*point);
        wasNear = near;
        if (wasNear)
            continue;
        // Far from the area, a moving pointer is asked for now and then
        // instead of being heard a thousand times a second; once it has
        // rested, or comes near, motion is heard again.
        select(false);
        int still = 0;
        while (!stop.stop_requested() && !wasNear && still < restPolls) {
            {
                const std::chrono::milliseconds interval = intervalFor(nearArea(), *point);
                std::unique_lock lock(m_mutex);
                m_stopped.wait_for(lock, stop, interval, [] { return false; });
            }
            const std::optional<QPoint> next = m_connection->query();
            if (!next)
                return;
            still = *next == *point ? still + 1 : 0;
            point = next;
            wasNear = nearArea().contains(*point);
        }
        select(true);
        // Motion heard before the deselection arrived is stale.
        for (xcb_generic_event_t *event = xcb_poll_for_event(m_connection->x); event;
             event = xcb_poll_for_event(m_connection->x))
            free(event);
        if (wasNear)
            tell(*point);
    }
}

} // namespace vorno
