#include "platform/ReferenceDate.h"

#include <cmath>
#include <cstdint>

namespace platform::ReferenceDate {

namespace {

// 2001-01-01T00:00:00Z in seconds since the Unix epoch.
constexpr std::int64_t referenceDateUnixSeconds = 978307200;
constexpr std::int64_t nanosecondsPerSecond = 1'000'000'000;

} // namespace

// Whole seconds and the fraction are converted apart: a double cannot hold the nanoseconds
// since 1970 exactly, and rounding them would change a stored fraction (.25 read back as
// .2499998).

double secondsSinceReferenceDate(WallTime date) {
    const std::int64_t nanoseconds = date.time_since_epoch().count();
    std::int64_t whole = nanoseconds / nanosecondsPerSecond;
    std::int64_t fraction = nanoseconds % nanosecondsPerSecond;
    if (fraction < 0) {
        whole -= 1;
        fraction += nanosecondsPerSecond;
    }
    return static_cast<double>(whole - referenceDateUnixSeconds) +
           static_cast<double>(fraction) / static_cast<double>(nanosecondsPerSecond);
}

std::optional<WallTime> fromSecondsSinceReferenceDate(double seconds) {
    // Stay well inside the clock's range so the integer arithmetic below is defined.
    const double limit =
        static_cast<double>(WallTime::duration::max().count() / nanosecondsPerSecond / 2);
    if (!std::isfinite(seconds) || std::abs(seconds) > limit) {
        return std::nullopt;
    }
    const double whole = std::floor(seconds);
    const auto fraction =
        std::llround((seconds - whole) * static_cast<double>(nanosecondsPerSecond));
    const auto unixSeconds = static_cast<std::int64_t>(whole) + referenceDateUnixSeconds;
    return WallTime(WallTime::duration(unixSeconds * nanosecondsPerSecond + fraction));
}

} // namespace platform::ReferenceDate
