#include "Parlowen/ReferenceDate.h"

#include <cmath>

namespace Parlowen::ReferenceDate {

namespace {

// 2001-01-01T00:00:00Z in seconds since the Unix epoch.
constexpr double referenceDateUnixSeconds = 978307200.0;

using Seconds = std::chrono::duration<double>;

} // namespace

double secondsSinceReferenceDate(Date date) {
    return std::chrono::duration_cast<Seconds>(date.time_since_epoch()).count() -
           referenceDateUnixSeconds;
}

std::optional<Date> fromSecondsSinceReferenceDate(double seconds) {
    const double unixSeconds = seconds + referenceDateUnixSeconds;
    // Stay well inside the clock's range so the conversion to its integer ticks is defined.
    const double limit = std::chrono::duration_cast<Seconds>(Date::duration::max()).count() / 2;
    if (!std::isfinite(unixSeconds) || std::abs(unixSeconds) > limit) {
        return std::nullopt;
    }
    return Date(std::chrono::duration_cast<Date::duration>(Seconds(unixSeconds)));
}

} // namespace Parlowen::ReferenceDate
