#pragma once

#include <QCoro/QCoroTask>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <exception>
#include <memory>
#include <optional>
#include <stdexcept>
#include <type_traits>

// Thrown when a task did not finish within its watchdog: a hang becomes a
// failure instead of a stuck test run.
class WatchdogExpired : public std::runtime_error
{
public:
    WatchdogExpired() : std::runtime_error("task did not finish before the watchdog expired") { }
};

namespace testsupport {

template<class T>
struct Outcome
{
    bool done = false;
    std::conditional_t<std::is_void_v<T>, bool, std::optional<T>> value {};
    std::exception_ptr error;
    QEventLoop *loop = nullptr;
};

template<class T>
QCoro::Task<> settle(QCoro::Task<T> task, std::shared_ptr<Outcome<T>> outcome)
{
    try {
        if constexpr (std::is_void_v<T>) {
            co_await std::move(task);
        } else {
            outcome->value = co_await std::move(task);
        }
    } catch (...) {
        outcome->error = std::current_exception();
    }
    outcome->done = true;
    if (outcome->loop)
        outcome->loop->quit();
}

} // namespace testsupport

// Runs the event loop until `task` finishes and returns its result or rethrows
// what it threw. Throws WatchdogExpired when it takes longer than `watchdog`.
template<class T>
T awaitTask(QCoro::Task<T> task, std::chrono::milliseconds watchdog = std::chrono::seconds(60))
{
    // Shared, because a task that outlives its watchdog still finishes later.
    const auto outcome = std::make_shared<testsupport::Outcome<T>>();
    QEventLoop loop;
    outcome->loop = &loop;
    (void)testsupport::settle(std::move(task), outcome);
    if (!outcome->done) {
        QTimer::singleShot(watchdog, &loop, [&loop] { loop.exit(1); });
        loop.exec();
    }
    outcome->loop = nullptr;
    if (!outcome->done)
        throw WatchdogExpired();
    if (outcome->error)
        std::rethrow_exception(outcome->error);
    if constexpr (!std::is_void_v<T>)
        return std::move(*outcome->value);
}
