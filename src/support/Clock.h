#pragma once

#include <QCoro/QCoroTask>

#include <chrono>
#include <stop_token>

namespace vorno {

// Every wait and deadline of the application reads time through one clock, so
// tests drive time instead of waiting for it.
class Clock
{
public:
    virtual ~Clock() = default;

    [[nodiscard]] virtual std::chrono::nanoseconds now() const = 0;
    // Resumes on the main thread once `duration` has passed, or throws
    // CancelledError as soon as `stop` is requested.
    [[nodiscard]] virtual QCoro::Task<> sleep(std::chrono::nanoseconds duration, std::stop_token stop) = 0;

    // The continuous clock, which keeps counting while the computer sleeps.
    [[nodiscard]] static Clock *continuous();
};

} // namespace vorno
