#include "platform/ReferenceDate.h"

#include <cmath>

namespace platform::ReferenceDate {

namespace {

// 2001-01-01T00:00:00Z in seconds since the Unix epoch.
constexpr double referenceDateUnixSeconds = 978307200.0;

using Seconds = std::chrono::duration<double>;

} // namespace

double secondsSinceReferenceDate(WallTime date) {
    return std::chrono::duration_cast<Seconds>(date.time_since_epoch()).count() -
           referenceDateUnixSeconds;
}

std::optional<WallTime> fromSecondsSinceReferenceDate(double seconds) {
    const double unixSeconds = seconds + referenceDateUnixSeconds;
    // Stay well inside the clock's range so the conversion to its integer ticks is defined.
    const double limit = std::chrono::duration_cast<Seconds>(WallTime::duration::max()).count() / 2;
    if (!std::isfinite(unixSeconds) || std::abs(unixSeconds) > limit) {
        return std::nullopt;
    }
    return WallTime(std::chrono::duration_cast<WallTime::duration>(Seconds(unixSeconds)));
}

} // namespace platform::ReferenceDate
