#include "platform/RateLimitedLog.h"

#include <string>

namespace platform {

RateLimitedLog::RateLimitedLog(Logger logger, const Clock& clock, int burst, Duration interval)
    : logger_(std::move(logger)), clock_(clock), burst_(burst), interval_(interval) {}

void RateLimitedLog::error(std::string_view line) {
    std::string written(line);
    {
        const std::lock_guard lock(mutex_);
        const MonotonicTime now = clock_.now();
        if (!intervalStart_ || now - *intervalStart_ >= interval_) {
            intervalStart_ = now;
            written_ = 0;
        }
        if (written_ == burst_) {
            ++leftOut_;
            return;
        }
        ++written_;
        if (leftOut_ > 0) {
            written +=
                " (" + std::to_string(leftOut_) + " earlier lines like this one were not logged)";
            leftOut_ = 0;
        }
    }
    logger_.error(written);
}

} // namespace platform
