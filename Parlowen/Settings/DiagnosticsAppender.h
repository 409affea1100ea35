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

// Replaces the file with `contents`: written to a temporary file of an unpredictable name in the
// same folder (created exclusively, not following links, mode 0600) and renamed over it, so a
// reader sees the old or the new text and a link planted at the temporary name is never
// followed. False when the write or the rename failed; the temporary file is then removed.
bool replace(const std::filesystem::path& file, std::string_view contents);

} // namespace DiagnosticsAppender

} // namespace Parlowen
