#pragma once

#include "platform/Logger.h"

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string_view>

// The datagram sockets of the observing processes in the per-user folder, one per process,
// named "notify-<pid>.sock".
namespace platform::native::NotificationSockets {

std::filesystem::path socketPath(const std::filesystem::path& folder, pid_t pid);

// The process a socket name belongs to; none for any other name.
std::optional<pid_t> ownerOf(std::string_view fileName);

// Sends one message to every socket in the folder without blocking. A socket that nobody
// reads any more (its process is gone) is removed; a full or unreachable one is skipped with a
// log line. Answers how many sockets took the message.
int sendToAll(const std::filesystem::path& folder, std::string_view message, const Logger& logger);

} // namespace platform::native::NotificationSockets
