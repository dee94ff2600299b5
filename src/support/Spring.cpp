#include "support/Spring.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <numbers>
#include <utility>
#include <vector>

namespace vorno {

namespace {

constexpr double settledWithin = 0.001;

} // namespace

double Spring::value(double seconds) const
{
    if (seconds <= 0)
        return 0;
    const double omega = 2 * std::numbers::pi / response; // undamped angular frequency
    const double zeta = dampingFraction;
    // Displacement from the target, starting at -1 with no velocity.
    double offset = 0;
    if (zeta < 1) {
        const double damped = omega * std::sqrt(1 - zeta * zeta);
        offset = std::exp(-zeta * omega * seconds)
            * (std::cos(damped * seconds) + zeta * omega / damped * std::sin(damped * seconds));
    } else if (zeta == 1) {
        offset = std::exp(-omega * seconds) * (1 + omega * seconds);
    } else {
        const double root = omega * std::sqrt(zeta * zeta - 1);
        const double fast = -zeta * omega - root;
        const double slow = -zeta * omega + root;
        offset = (fast * std::exp(slow * seconds) - slow * std::exp(fast * seconds)) / (fast - slow);
    }
    return 1 - offset;
}

std::chrono::milliseconds Spring::settlingTime() const
{
    // Every animation sets its spring when it is made, and the pages use a
    // handful of springs: finding each settling time once keeps thousands of
    // steps per widget off the start-up path.
    static std::mutex guard;
    static std::vector<std::pair<Spring, std::chrono::milliseconds>> known;
    const std::lock_guard lock(guard);
    for (const auto &[spring, time] : known)
        if (spring == *this)
            return time;
    known.emplace_back(*this, search());
    return known.back().second;
}

std::chrono::milliseconds Spring::search() const
{
    // The envelope of the motion bounds the offset from above, so stepping
    // until it stays small, checked at a fine grain, finds where it settles.
    constexpr double step = 0.001;
    double lastOutside = 0;
    const double horizon = 20 * response / std::min(dampingFraction, 1.0);
    for (double t = step; t < horizon; t += step) {
        if (std::abs(1 - value(t)) > settledWithin)
            lastOutside = t;
        else if (t - lastOutside > response)
            break;
    }
    return std::chrono::milliseconds(static_cast<long long>(std::ceil((lastOutside + step) * 1000)));
}

} // namespace vorno
