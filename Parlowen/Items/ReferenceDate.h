#pragma once

#include "platform/Clock.h"
#include "platform/ReferenceDate.h"

namespace Parlowen {

// A moment in wall-clock time, as the stores write it out.
using Date = platform::WallTime;

namespace ReferenceDate = platform::ReferenceDate;

} // namespace Parlowen
