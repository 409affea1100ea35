#pragma once

#include "platform/Logger.h"
#include "platform/ProcessEnvironment.h"

#include <filesystem>
#include <optional>

// The folder this user's processes share for notification sockets and the running-copy
// registry. Nothing is put in a folder that another user could reach or replace.
namespace platform::native::PerUserFolder {

// "$XDG_RUNTIME_DIR/tessaline" when the runtime folder is set to an absolute path, else
// "/tmp/tessaline-<uid>".
std::filesystem::path defaultPath(const ProcessEnvironment& environment);

// Creates the folder with mode 0700 when it is missing, then checks it: a folder itself (not a
// link), owned by this user, closed to group and others. None, with a log line, when it is not.
std::optional<std::filesystem::path> prepare(const std::filesystem::path& path,
                                             const Logger& logger);

} // namespace platform::native::PerUserFolder
