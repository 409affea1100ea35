#include "platform/linux/NotificationSockets.h"

#include <dirent.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <string>

namespace platform::native::NotificationSockets {

namespace {
constexpr std::string_view prefix = "notify-";
constexpr std::string_view suffix = ".sock";

bool addressOf(const std::filesystem::path& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    const std::string text = path.string();
    if (text.size() >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
    return true;
}

// A socket of this user that no longer has a reader.
void removeStale(const std::filesystem::path& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) == 0 && S_ISSOCK(status.st_mode) &&
        status.st_uid == ::geteuid()) {
        ::unlink(path.c_str());
    }
}
} // namespace

std::filesystem::path socketPath(const std::filesystem::path& folder, pid_t pid) {
    return folder / (std::string(prefix) + std::to_string(pid) + std::string(suffix));
}

std::optional<pid_t> ownerOf(std::string_view fileName) {
    if (fileName.size() <= prefix.size() + suffix.size() || !fileName.starts_with(prefix) ||
        !fileName.ends_with(suffix)) {
        return std::nullopt;
    }
    const std::string_view digits =
        fileName.substr(prefix.size(), fileName.size() - prefix.size() - suffix.size());
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), pid);
    if (error != std::errc() || end != digits.data() + digits.size() || pid <= 0) {
        return std::nullopt;
    }
    return pid;
}

int sendToAll(const std::filesystem::path& folder, std::string_view message, const Logger& logger) {
    DIR* directory = ::opendir(folder.c_str());
    if (directory == nullptr) {
        logger.error("cannot list the notification sockets in " + folder.string() + ": " +
                     std::strerror(errno));
        return 0;
    }
    const int sender = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    int delivered = 0;
    while (const dirent* entry = sender >= 0 ? ::readdir(directory) : nullptr) {
        if (!ownerOf(entry->d_name)) {
            continue;
        }
        const std::filesystem::path path = folder / entry->d_name;
        struct stat status {};
        sockaddr_un address{};
        if (::lstat(path.c_str(), &status) != 0 || !S_ISSOCK(status.st_mode) ||
            status.st_uid != ::geteuid() || !addressOf(path, address)) {
            continue;
        }
        const ssize_t sent =
            ::sendto(sender, message.data(), message.size(), MSG_DONTWAIT | MSG_NOSIGNAL,
                     reinterpret_cast<const sockaddr*>(&address), sizeof address);
        if (sent >= 0) {
            ++delivered;
        } else if (errno == ECONNREFUSED || errno == ENOENT) {
            removeStale(path);
        } else {
            logger.error("a distributed notification did not reach " + path.string() + ": " +
                         std::strerror(errno));
        }
    }
    if (sender >= 0) {
        ::close(sender);
    }
    ::closedir(directory);
    return delivered;
}

} // namespace platform::native::NotificationSockets
