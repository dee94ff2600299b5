#include "support/Clock.h"

#include "support/ContinuousClock.h"

namespace vorno {

namespace {

class SystemClock final : public Clock
{
public:
    std::chrono::nanoseconds now() const override { return ContinuousClock::now(); }
    QCoro::Task<> sleep(std::chrono::nanoseconds duration, std::stop_token stop) override
    {
        return ContinuousClock::sleep(duration, std::move(stop));
    }
};

} // namespace

Clock *Clock::continuous()
{
    static SystemClock clock;
    return &clock;
}

} // namespace vorno
