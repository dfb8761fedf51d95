#pragma once
// Deadlines of the serial backends' waits, on the steady clock. Internal to runtime/.

#include <time.h>

#include <algorithm>
#include <chrono>

namespace tarvik::rt {

using Clock = std::chrono::steady_clock;

// The longest any wait of a port may last; also what a time-out too large to count becomes.
inline constexpr double kLongestWaitSeconds = 24 * 3600.0;

inline timespec timespecOf(Clock::duration d) {
    constexpr long kNanosecondsPerSecond = 1'000'000'000L;
    const auto ns =
        std::max<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(d).count(), 0);
    return {static_cast<time_t>(ns / kNanosecondsPerSecond),
            static_cast<long>(ns % kNanosecondsPerSecond)};
}

inline int millisecondsLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// A time-out that is not a number, negative or beyond counting must not reach the cast below.
inline Clock::time_point deadlineAfter(double seconds) {
    if (!(seconds > 0)) return Clock::now();
    const double bounded = std::min(seconds, kLongestWaitSeconds);
    return Clock::now() + std::chrono::microseconds(static_cast<long long>(bounded * 1e6));
}

}  // namespace tarvik::rt
