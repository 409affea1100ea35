#include "platform/FileReplacement.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

namespace {
// What `replace` puts between the file's name and mkstemp's six letters and digits.
constexpr std::string_view temporaryInfix = ".tmp-";
constexpr std::size_t temporaryRandomLength = 6;

bool isTemporaryOf(std::string_view name, std::string_view fileName) {
    if (name.size() != fileName.size() + temporaryInfix.size() + temporaryRandomLength ||
        !name.starts_with(fileName) ||
        name.substr(fileName.size(), temporaryInfix.size()) != temporaryInfix) {
        return false;
    }
    const std::string_view random = name.substr(fileName.size() + temporaryInfix.size());
    return std::all_of(random.begin(), random.end(), [](char byte) {
        return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
               (byte >= '0' && byte <= '9');
    });
}
} // namespace

int replace(const std::filesystem::path& path, std::string_view contents, mode_t mode) {
    std::string temporary = path.string() + std::string(temporaryInfix) + "XXXXXX";
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

void removeStaleTemporaries(const std::filesystem::path& path) {
    const std::filesystem::path folder =
        path.parent_path().empty() ? std::filesystem::path(".") : path.parent_path();
    const std::string fileName = path.filename().string();
    DIR* directory = ::opendir(folder.c_str());
    if (directory == nullptr) {
        return;
    }
    while (const dirent* entry = ::readdir(directory)) {
        if (!isTemporaryOf(entry->d_name, fileName)) {
            continue;
        }
        const std::filesystem::path candidate = folder / entry->d_name;
        struct stat status {};
        if (::lstat(candidate.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
            status.st_uid == ::geteuid()) {
            ::unlink(candidate.c_str());
        }
    }
    ::closedir(directory);
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
