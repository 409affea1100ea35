#pragma once

#include <chrono>

namespace platform {

using Duration = std::chrono::nanoseconds;
// A point on the monotonic clock: for throttles, deadlines and expiry.
using MonotonicTime = std::chrono::time_point<std::chrono::steady_clock, Duration>;
// A point in wall time: only for timestamps that are written out.
using WallTime = std::chrono::time_point<std::chrono::system_clock, Duration>;

// The time source of a process: real time in the product, virtual time in tests.
class Clock {
public:
    Clock() = default;
    Clock(const Clock&) = delete;
    Clock& operator=(const Clock&) = delete;
    virtual ~Clock() = default;

    // The current monotonic time.
    virtual MonotonicTime now() const = 0;
    // The current wall time.
    virtual WallTime wallNow() const = 0;
    // Blocks the calling thread for the duration (a virtual clock just moves forward).
    virtual void sleep(Duration duration) = 0;
};

} // namespace platform
