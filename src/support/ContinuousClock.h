#pragma once

#include <QCoro/QCoroTask>

#include <chrono>
#include <stop_token>

namespace vorno {

// The clock that keeps counting while the computer sleeps (CLOCK_BOOTTIME), so
// a suspended laptop cannot stretch a deadline.
namespace ContinuousClock {

[[nodiscard]] std::chrono::nanoseconds now();

// Resumes on the calling (main) thread once `duration` has passed on this
// clock, or throws CancelledError as soon as `stop` is requested. Costs one
// timer descriptor while it waits and no polling.
[[nodiscard]] QCoro::Task<> sleep(std::chrono::nanoseconds duration, std::stop_token stop = {});
} // namespace ContinuousClock

} // namespace vorno
