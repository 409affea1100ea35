#pragma once

#include "platform/Clock.h"

#include <optional>

namespace Parlowen {

// A moment in wall-clock time, as the stores write it out.
using Date = platform::WallTime;

// Stored dates count seconds since 1 January 2001, 00:00 UTC.
namespace ReferenceDate {

double secondsSinceReferenceDate(Date date);

// The date of a stored number; none for a value that is not finite or that the clock cannot
// represent.
std::optional<Date> fromSecondsSinceReferenceDate(double seconds);

} // namespace ReferenceDate

} // namespace Parlowen
