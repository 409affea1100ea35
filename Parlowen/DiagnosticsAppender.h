#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

namespace Parlowen {

// Writes the program's diagnostic files (under /tmp by default). A path that is a symbolic
// link, or not a regular file owned by this user with a single link, is left alone: another
// user cannot make these writes land in a file of their choosing.
namespace DiagnosticsAppender {

// The environment variable that moves the diagnostic folder away from /tmp (tests).
inline constexpr const char* directoryVariable = "TESSALINE_DIAGNOSTICS_DIR";

// $TESSALINE_DIAGNOSTICS_DIR when set and not empty, else "/tmp".
std::filesystem::path directory();
// The file of that name in the diagnostic folder, e.g. "tessaline-launch.txt".
std::filesystem::path path(std::string_view fileName);

// Appends `line`, a line feed added when it lacks one, in a single write, creating the file
// with mode 0600. False when the path was skipped or the write failed.
bool append(const std::filesystem::path& file, std::string_view line);
// Replaces the file's contents with `text` through a new file renamed over it (mode 0600);
// a symbolic link at the path is replaced, not followed. False on failure.
bool replace(const std::filesystem::path& file, std::string_view text);

// The time in the ISO 8601 form of the diagnostic lines: UTC, whole seconds,
// "2025-01-31T09:05:00Z".
std::string timestamp(std::chrono::system_clock::time_point time);

} // namespace DiagnosticsAppender

} // namespace Parlowen
