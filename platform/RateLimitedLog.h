#pragma once

#include "platform/Clock.h"
#include "platform/Logger.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <string_view>

namespace platform {

// Error lines of one kind that another process can cause at will (each message it sends
// that is dropped), written at most `burst` times in each `interval` of monotonic time. The
// lines left out are counted, and the next line written says how many there were. Safe to use
// from any thread.
class RateLimitedLog {
public:
    RateLimitedLog(Logger logger, const Clock& clock, int burst, Duration interval);

    void error(std::string_view line);

private:
    const Logger logger_;
    const Clock& clock_;
    const int burst_;
    const Duration interval_;
    std::mutex mutex_;
    std::optional<MonotonicTime> intervalStart_;
    int written_ = 0;
    std::uint64_t leftOut_ = 0;
};

} // namespace platform
