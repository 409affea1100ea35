#pragma once

#include "platform/Clock.h"

#include <string_view>

// The launch events written to "tessaline-launch.txt" in the diagnostic folder.
namespace Parlowen::LaunchDiagnostics {

inline constexpr const char* fileName = "tessaline-launch.txt";

// The line of one event: "<ISO time> event=<name>".
std::string line(std::string_view event, platform::WallTime time);
// Appends the event's line (through the diagnostics appender, which never replaces a file);
// a line that cannot be written is dropped.
void write(std::string_view event, platform::WallTime time);

} // namespace Parlowen::LaunchDiagnostics
