#pragma once
// Time as the transfer engines see it: a monotonic time point handed in by the caller.
// The engines never read a clock themselves, so tests can run a 40-second time-out in
// microseconds with a clock of their own.

#include <chrono>

namespace morvaline::rapidox {

using Clock = std::chrono::steady_clock;
using TimePoint = Clock::time_point;
using Duration = Clock::duration;

// "No limit": a deadline that never comes.
inline constexpr TimePoint kNever = TimePoint::max();
// "At once": the engine has work to do without waiting for bytes.
inline constexpr TimePoint kAtOnce = TimePoint::min();

}  // namespace morvaline::rapidox
