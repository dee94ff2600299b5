#pragma once

#include "platform/PointerMonitor.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace vorno {

// Pointer motion from XInput 2 raw events on the root window. Raw events come
// for every motion anywhere, a thousand a second from some mice, and carry no
// position: a thread of its own reads them on a connection of its own, asks
// where the pointer is, and tells the main thread only about motion near the
// area. Far from it, it stops hearing motion and asks where the pointer is
// now and then, more often the closer it is, until the pointer rests or
// comes near. Without an X server (or
// under XWayland, where motion over Wayland windows never reaches X) it sees
// nothing and says so.
class X11PointerMonitor : public PointerMonitor
{
    Q_OBJECT

public:
    explicit X11PointerMonitor(QObject *parent = nullptr);
    ~X11PointerMonitor() override;

    [[nodiscard]] QPoint position() const override;
    [[nodiscard]] bool seesEverywhere() const override { return m_listening && !m_xwayland; }
    void setArea(QRect area) override;

private:
    struct Connection;
    void read(std::stop_token stop);
    void select(bool on) const;
    [[nodiscard]] bool waitForMotion(std::stop_token stop) const;
    [[nodiscard]] QRect nearArea();
    void tell(QPoint point);

    std::unique_ptr<Connection> m_connection;
    bool m_listening = false;
    bool m_xwayland = false;
    std::mutex m_mutex;
    std::condition_variable_any m_stopped;
    QRect m_area; // guarded by m_mutex
    std::jthread m_reader;
};

} // namespace vorno
