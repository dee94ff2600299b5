#pragma once

#include <QCoro/QCoroTask>

#include <chrono>
#include <stop_token>

namespace vorno {

// The clock that keeps counting while the computer sleeps (CLOCK_BOOTTIME), so
// a suspended laptop cannot stretch a deadline.
class ContinuousClock
{
public:
    ContinuousClock() = delete;

    [[nodiscard]] static std::chrono::nanoseconds now();

    // Resumes on the calling (main) thread once `duration` has passed on this
    // clock, or throws CancelledError as soon as `stop` is requested. Costs one
    // timer descriptor while it waits and no polling.
    [[nodiscard]] static QCoro::Task<> sleep(std::chrono::nanoseconds duration, std::stop_token stop = {});
};

} // namespace vorno
