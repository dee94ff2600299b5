#pragma once

#include <chrono>

namespace vorno {

// A damped spring from 0 to 1, parameterised as the design speaks of it: the
// response (the period of the undamped spring) and the damping fraction (1 is
// critically damped, below 1 overshoots). Unit mass, starting at rest.
struct Spring
{
    double response = 0.5;        // seconds
    double dampingFraction = 1.0; // 0 < ζ

    // Position at `seconds` after the start: 0 at the start, settling at 1.
    [[nodiscard]] double value(double seconds) const;
    // How long until the spring stays within a thousandth of its target.
    [[nodiscard]] std::chrono::milliseconds settlingTime() const;

    friend bool operator==(const Spring &, const Spring &) = default;

private:
    [[nodiscard]] std::chrono::milliseconds search() const;
};

} // namespace vorno
