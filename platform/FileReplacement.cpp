#include "platform/FileReplacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform::FileReplacement {

int writeAll(int descriptor, std::string_view text) {
    while (!text.empty()) {
        const ssize_t count = ::write(descriptor, text.data(), text.size());
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return count < 0 ? errno : EIO;
        }
        text.remove_prefix(static_cast<std::size_t>(count));
    }
    return 0;
}

int replace(const std::filesystem::path& path, std::string_view contents, mode_t mode) {
    std::string temporary = path.string() + ".XXXXXX";
    const int descriptor = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (descriptor < 0) {
        return errno;
    }
    int error = ::fchmod(descriptor, mode) == 0 ? 0 : errno;
    if (error == 0) {
        error = writeAll(descriptor, contents);
    }
    if (error == 0 && ::fsync(descriptor) != 0) {
        error = errno;
    }
    if (::close(descriptor) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(temporary.c_str());
        return error;
    }
    syncFolder(path.parent_path().empty() ? "." : path.parent_path());
    return 0;
}

int syncFolder(const std::filesystem::path& folder) {
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) {
        return errno;
    }
    const int error = ::fsync(descriptor) == 0 ? 0 : errno;
    ::close(descriptor);
    return error;
}

std::optional<std::string> readOwnedFile(const std::filesystem::path& path,
                                         std::size_t maximumSize) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (descriptor < 0) {
        return std::nullopt;
    }
    struct stat status {};
    std::optional<std::string> contents;
    if (::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) &&
        status.st_uid == ::geteuid() && static_cast<std::size_t>(status.st_size) <= maximumSize) {
        std::string text(maximumSize + 1, '\0');
        std::size_t length = 0;
        for (;;) {
            const ssize_t count = ::read(descriptor, text.data() + length, text.size() - length);
            if (count < 0 && errno == EINTR) {
                continue;
            }
            if (count <= 0) {
                if (count == 0 && length <= maximumSize) {
                    text.resize(length);
                    contents = std::move(text);
                }
                break;
            }
            length += static_cast<std::size_t>(count);
            if (length > maximumSize) {
                break;
            }
        }
    }
    ::close(descriptor);
    return contents;
}

} // namespace platform::FileReplacement
