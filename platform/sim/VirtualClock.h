#pragma once

#include "platform/Clock.h"

#include <atomic>

namespace platform::sim {

// Virtual time for tests: it stands still until a sleep or a run-loop wait moves it forward,
// so timing behaviour is deterministic and costs no real time.
class VirtualClock : public Clock {
public:
    // Monotonic time starts at an arbitrary point; wall time at `wallStart`.
    explicit VirtualClock(WallTime wallStart = defaultWallStart());

    MonotonicTime now() const override;
    WallTime wallNow() const override;
    // Moves time forward by the duration at once.
    void sleep(Duration duration) override;
    // Moves time forward to `time`; a time in the past changes nothing.
    void advanceTo(MonotonicTime time);

    // 2025-01-01T00:00:00Z.
    static WallTime defaultWallStart();

private:
    const WallTime wallStart_;
    std::atomic<Duration::rep> elapsed_{0};
};

} // namespace platform::sim
