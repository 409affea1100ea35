#pragma once

#include "platform/Clock.h"

#include <optional>

// Dates written out count seconds since 1 January 2001, 00:00 UTC, as on macOS.
namespace platform::ReferenceDate {

double secondsSinceReferenceDate(WallTime date);

// The date of a stored number; none for a value that is not finite or that the clock cannot
// represent.
std::optional<WallTime> fromSecondsSinceReferenceDate(double seconds);

} // namespace platform::ReferenceDate
