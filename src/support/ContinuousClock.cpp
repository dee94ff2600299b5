#include "support/ContinuousClock.h"

#include "support/CancelledError.h"

#include <QCoro/QCoroSignal>
#include <QMetaObject>
#include <QPointer>
#include <QSocketNotifier>

#include <cerrno>
#include <ctime>
#include <sys/timerfd.h>
#include <system_error>
#include <unistd.h>

namespace vorno {

namespace {

// Reports, once, whether the sleep ended by the timer or by a stop request.
class Wake : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

Q_SIGNALS:
    void woken(bool cancelled);
};

class TimerDescriptor
{
public:
    TimerDescriptor() : m_fd(::timerfd_create(CLOCK_BOOTTIME, TFD_NONBLOCK | TFD_CLOEXEC))
    {
        if (m_fd < 0)
            throw std::system_error(errno, std::generic_category(), "timerfd_create");
    }
    TimerDescriptor(const TimerDescriptor &) = delete;
    TimerDescriptor &operator=(const TimerDescriptor &) = delete;
    ~TimerDescriptor() { ::close(m_fd); }

    [[nodiscard]] int get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

std::chrono::nanoseconds ContinuousClock::now()
{
    timespec now {};
    ::clock_gettime(CLOCK_BOOTTIME, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

QCoro::Task<> ContinuousClock::sleep(std::chrono::nanoseconds duration, std::stop_token stop)
{
    if (stop.stop_requested())
        throw CancelledError();

    const TimerDescriptor timer;
    // A zero it_value would disarm the timer; a non-positive wait still yields once.
    const auto wait = std::max(duration, std::chrono::nanoseconds(1));
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(wait);
    itimerspec spec {};
    spec.it_value.tv_sec = time_t(seconds.count());
    spec.it_value.tv_nsec = long((wait - seconds).count());
    if (::timerfd_settime(timer.get(), 0, &spec, nullptr) != 0)
        throw std::system_error(errno, std::generic_category(), "timerfd_settime");

    Wake wake;
    QSocketNotifier notifier(qintptr(timer.get()), QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &wake, [&wake] { Q_EMIT wake.woken(false); });
    // A stop may be requested from any thread, and even from inside a call we
    // make; always come back through the event loop.
    const QPointer<Wake> target(&wake);
    const std::stop_callback onStop(stop, [target] {
        QMetaObject::invokeMethod(
            target.data(),
            [target] {
                if (target)
                    Q_EMIT target->woken(true);
            },
            Qt::QueuedConnection);
    });

    const bool cancelled = co_await qCoro(&wake, &Wake::woken);
    if (cancelled)
        throw CancelledError();
}

} // namespace vorno

#include "ContinuousClock.moc"
