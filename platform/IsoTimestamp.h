#pragma once

#include "platform/Clock.h"

#include <string>

namespace platform {

// The time in ISO 8601 form as diagnostics write it: UTC, whole seconds, "2025-01-31T09:05:00Z".
std::string isoTimestamp(WallTime time);

} // namespace platform
