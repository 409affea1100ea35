#include "platform/sim/VirtualClock.h"

namespace platform::sim {

namespace {
// Monotonic time starts well away from zero, as a machine's uptime would.
constexpr Duration monotonicStart = std::chrono::hours(1);
} // namespace

VirtualClock::VirtualClock(WallTime wallStart) : wallStart_(wallStart) {}

WallTime VirtualClock::defaultWallStart() {
    return WallTime(std::chrono::seconds(1735689600));
}

MonotonicTime VirtualClock::now() const {
    return MonotonicTime(monotonicStart + Duration(elapsed_.load()));
}

WallTime VirtualClock::wallNow() const {
    return wallStart_ + Duration(elapsed_.load());
}

void VirtualClock::sleep(Duration duration) {
    if (duration > Duration::zero()) {
        elapsed_ += duration.count();
    }
}

void VirtualClock::advanceTo(MonotonicTime time) {
    const Duration::rep target = (time.time_since_epoch() - monotonicStart).count();
    Duration::rep current = elapsed_.load();
    while (current < target && !elapsed_.compare_exchange_weak(current, target)) {
    }
}

} // namespace platform::sim
