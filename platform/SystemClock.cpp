#include "platform/SystemClock.h"

#include <thread>

namespace platform {

MonotonicTime SystemClock::now() const {
    return std::chrono::time_point_cast<Duration>(std::chrono::steady_clock::now());
}

WallTime SystemClock::wallNow() const {
    return std::chrono::time_point_cast<Duration>(std::chrono::system_clock::now());
}

void SystemClock::sleep(Duration duration) {
    if (duration > Duration::zero()) {
        std::this_thread::sleep_for(duration);
    }
}

} // namespace platform
