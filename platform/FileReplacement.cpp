#include "platform/FileReplacement.h"

#include "platform/FileDescriptor.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
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

namespace {

using Outcome = OwnedFileRead::Outcome;

// A replaced file is looked at again this many times before the read gives up for now.
constexpr int maximumLooks = 8;

bool isOwnedFile(const struct stat& status) {
    return S_ISREG(status.st_mode) && status.st_uid == ::geteuid();
}

OwnedFileRead failedRead(int error) {
    OwnedFileRead result;
    result.outcome = error == ENOENT  ? Outcome::missing
                     : error == ELOOP ? Outcome::notOwnedFile
                                      : Outcome::failed;
    result.error = error;
    return result;
}

// Reads the open file whose status is `status`, up to `maximumSize` bytes.
void readOpened(int descriptor, std::size_t maximumSize, OwnedFileRead& result) {
    result.outcome = static_cast<std::size_t>(result.status.st_size) > maximumSize
                         ? Outcome::tooLarge
                         : Outcome::read;
    if (result.outcome != Outcome::read) {
        return;
    }
    result.contents.reserve(static_cast<std::size_t>(result.status.st_size));
    std::array<char, 65536> buffer{};
    for (;;) {
        const ssize_t count = ::read(descriptor, buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            result.outcome = Outcome::failed;
            result.error = errno;
        }
        if (count <= 0) {
            break;
        }
        result.contents.append(buffer.data(), static_cast<std::size_t>(count));
        // The file grew after it was looked at.
        if (result.contents.size() > maximumSize) {
            result.outcome = Outcome::tooLarge;
            break;
        }
    }
    if (result.outcome != Outcome::read) {
        result.contents.clear();
    }
}

} // namespace

OwnedFileRead readOwned(const std::filesystem::path& path, std::size_t maximumSize,
                        bool followLink) {
    for (int look = 0; look < maximumLooks; ++look) {
        struct stat looked {};
        if ((followLink ? ::stat(path.c_str(), &looked) : ::lstat(path.c_str(), &looked)) != 0) {
            return failedRead(errno);
        }
        if (!isOwnedFile(looked)) {
            return failedRead(ELOOP);
        }
        // Something else may have been put at the path meanwhile: it is opened without
        // blocking and must be the very file looked at.
        const FileDescriptor descriptor(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK |
                                                                 (followLink ? 0 : O_NOFOLLOW)));
        if (descriptor.get() < 0) {
            if (errno == ENOENT) {
                continue; // removed after the look: replaced, or gone for good
            }
            return failedRead(errno);
        }
        OwnedFileRead result;
        if (::fstat(descriptor.get(), &result.status) != 0) {
            return failedRead(errno);
        }
        if (result.status.st_dev != looked.st_dev || result.status.st_ino != looked.st_ino) {
            continue; // replaced between the look and the open
        }
        if (!isOwnedFile(result.status)) {
            return failedRead(ELOOP);
        }
        readOpened(descriptor.get(), maximumSize, result);
        return result;
    }
    return failedRead(EAGAIN);
}

std::optional<std::string> readOwnedFile(const std::filesystem::path& path,
                                         std::size_t maximumSize) {
    auto read = readOwned(path, maximumSize, false);
    if (read.outcome != OwnedFileRead::Outcome::read) {
        return std::nullopt;
    }
    return std::move(read.contents);
}

} // namespace platform::FileReplacement
