#pragma once

#include "platform/Clock.h"

namespace platform {

// Real time: the steady clock, the system clock and a real sleep.
class SystemClock : public Clock {
public:
    MonotonicTime now() const override;
    WallTime wallNow() const override;
    void sleep(Duration duration) override;
};

} // namespace platform
