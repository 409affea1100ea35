#include "platform/linux/PerUserFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform::native::PerUserFolder {

std::filesystem::path defaultPath(const ProcessEnvironment& environment) {
    auto runtime = environment.find("XDG_RUNTIME_DIR");
    if (runtime != environment.end() && !runtime->second.empty() &&
        std::filesystem::path(runtime->second).is_absolute()) {
        return std::filesystem::path(runtime->second) / "tessaline";
    }
    return std::filesystem::path("/tmp") / ("tessaline-" + std::to_string(::geteuid()));
}

std::optional<std::filesystem::path> prepare(const std::filesystem::path& path,
                                             const Logger& logger) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        logger.error("cannot create the per-user folder " + path.string() + ": " +
                     std::strerror(errno));
        return std::nullopt;
    }
    // The checks read the folder that was opened, so a swap after them changes nothing.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0) {
        logger.error("refused the per-user folder " + path.string() +
                     ": not a folder of its own (" + std::strerror(errno) + ")");
        return std::nullopt;
    }
    struct stat status {};
    const bool read = ::fstat(descriptor, &status) == 0;
    ::close(descriptor);
    if (!read || status.st_uid != ::geteuid()) {
        logger.error("refused the per-user folder " + path.string() +
                     ": it is not owned by this user");
        return std::nullopt;
    }
    if ((status.st_mode & 077) != 0) {
        logger.error("refused the per-user folder " + path.string() +
                     ": it is open to group or others");
        return std::nullopt;
    }
    return path;
}

} // namespace platform::native::PerUserFolder
