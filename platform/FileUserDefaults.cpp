#include "platform/FileUserDefaults.h"

#include "platform/FileReplacement.h"
#include "platform/UserDefaultsFileCodec.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace platform {

namespace {

// An exclusive advisory lock on a lock file, held for the object's life. A symbolic link at
// the path, anything but a regular file, or a file this user cannot open is never locked:
// `held` is then false and `error` tells why.
class FileLock {
public:
    explicit FileLock(const std::filesystem::path& path)
        : descriptor(
              ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600)) {
        if (descriptor < 0) {
            error = errno;
            return;
        }
        struct stat status {};
        if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
            error = EINVAL;
            return;
        }
        int result = 0;
        while ((result = ::flock(descriptor, LOCK_EX)) != 0 && errno == EINTR) {
        }
        locked = result == 0;
        error = locked ? 0 : errno;
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock() {
        if (descriptor >= 0) {
            ::close(descriptor); // releases the lock
        }
    }

    bool held() const { return locked; }
    int error = 0;

private:
    int descriptor;
    bool locked = false;
};

std::optional<std::string> readWholeFile(const std::filesystem::path& path, bool& missing) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    missing = descriptor < 0 && errno == ENOENT;
    if (descriptor < 0) {
        return std::nullopt;
    }
    std::string text;
    std::array<char, 65536> buffer{};
    for (;;) {
        const ssize_t count = ::read(descriptor, buffer.data(), buffer.size());
        if (count == 0) {
            break;
        }
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            ::close(descriptor);
            return std::nullopt;
        }
        text.append(buffer.data(), static_cast<std::size_t>(count));
    }
    ::close(descriptor);
    return text;
}

std::string utcStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    std::array<char, 32> text{};
    const auto length = std::strftime(text.data(), text.size(), "%Y%m%dT%H%M%SZ", &parts);
    return std::string(text.data(), length);
}

} // namespace

FileUserDefaults::FileUserDefaults(std::filesystem::path path, FailureLog log)
    : filePath(std::move(path)), lockPath(filePath.string() + ".lock"), failureLog(std::move(log)) {
}

std::filesystem::path FileUserDefaults::standardPath() {
    std::filesystem::path base;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/') {
        base = config;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || home[0] != '/') {
            const passwd* entry = ::getpwuid(::getuid());
            home = entry ? entry->pw_dir : "/";
        }
        base = std::filesystem::path(home) / ".config";
    }
    return base / "tessaline" / "defaults.json";
}

void FileUserDefaults::set(std::string_view key, DefaultsValue value) {
    update(key, [&](const std::optional<DefaultsValue>&) { return value; });
}

void FileUserDefaults::removeObject(std::string_view key) {
    update(key, [](const std::optional<DefaultsValue>&) { return std::nullopt; });
}

void FileUserDefaults::update(std::string_view key, const DefaultsChange& change) {
    const std::lock_guard guard(mutex);
    std::error_code error;
    std::filesystem::create_directories(filePath.parent_path(), error);
    const FileLock lock(lockPath);
    if (!lock.held()) {
        // Without the lock another process could replace the file between our read and our
        // rename, and one of the two changes would be lost unseen.
        reportDroppedWrite("cannot lock", lockPath, lock.error);
        return;
    }
    if (!load(true)) {
        // Writing without the file's current contents would drop every other key in it.
        reportDroppedWrite("cannot read", filePath, errno);
        return;
    }
    const auto found = cache.values.find(key);
    const auto stored = found != cache.values.end() ? std::optional(found->second) : std::nullopt;
    auto changed = change(stored);
    if (changed == stored) {
        return;
    }
    UserDefaultsFileContents contents = cache;
    contents.otherMembers.erase(std::string(key));
    if (changed) {
        contents.values.insert_or_assign(std::string(key), std::move(*changed));
    } else {
        contents.values.erase(std::string(key));
    }
    // A failed write leaves the file as it was; this process still reads its change until the
    // file changes on disk.
    if (writeLocked(contents)) {
        loadedStamp = currentStamp();
    } else {
        reportDroppedWrite("cannot write", filePath, errno);
    }
    cache = std::move(contents);
}

std::optional<DefaultsValue> FileUserDefaults::storedObject(std::string_view key) const {
    const std::lock_guard guard(mutex);
    refreshIfChanged();
    if (const auto found = cache.values.find(key); found != cache.values.end()) {
        return found->second;
    }
    return std::nullopt;
}

std::optional<FileUserDefaults::FileStamp> FileUserDefaults::currentStamp() const {
    struct stat status {};
    if (::stat(filePath.c_str(), &status) != 0) {
        return std::nullopt;
    }
    return FileStamp{status.st_dev, status.st_ino, status.st_size, status.st_mtim, status.st_ctim};
}

void FileUserDefaults::refreshIfChanged() const {
    if (loaded && currentStamp() == loadedStamp) {
        return;
    }
    // Renames swap whole files, so a read needs no lock; only keeping a file aside does.
    const FileLock lock(lockPath);
    load(lock.held());
}

bool FileUserDefaults::load(bool fileLocked) const {
    const auto stamp = currentStamp();
    bool missing = false;
    const auto text = readWholeFile(filePath, missing);
    if (!text && !missing) {
        // A file that exists but cannot be read now (no descriptor left, an I/O error) is not
        // a corrupt one: it stays where it is and the next access reads it again.
        loaded = false;
        return false;
    }
    loaded = true;
    loadedStamp = stamp;
    if (missing) {
        cache = {};
        return true;
    }
    auto contents = UserDefaultsFileCodec::decode(*text);
    if (!contents) {
        if (fileLocked) {
            keepAsideLocked();
            loadedStamp = currentStamp();
        } else {
            loaded = false; // kept aside by the next access that holds the lock
        }
        cache = {};
        return true;
    }
    cache = std::move(*contents);
    return true;
}

void FileUserDefaults::keepAsideLocked() const {
    const std::string base = filePath.string() + ".corrupt-" + utcStamp();
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const std::string candidate = attempt == 0 ? base : base + "-" + std::to_string(attempt);
        std::error_code error;
        if (std::filesystem::exists(std::filesystem::symlink_status(candidate, error))) {
            continue;
        }
        if (::rename(filePath.c_str(), candidate.c_str()) == 0) {
            FileReplacement::syncFolder(filePath.parent_path());
        }
        return;
    }
}

bool FileUserDefaults::writeLocked(const UserDefaultsFileContents& contents) const {
    // Every writer of this file replaces it holding the lock, so a temporary file beside it
    // now is one that a killed writer left.
    FileReplacement::removeStaleTemporaries(filePath);
    const int error =
        FileReplacement::replace(filePath, UserDefaultsFileCodec::encode(contents), 0600);
    errno = error;
    return error == 0;
}

void FileUserDefaults::reportDroppedWrite(std::string_view reason,
                                          const std::filesystem::path& path, int error) const {
    std::string line = "Tessaline: settings change not saved: ";
    line += reason;
    line += ' ';
    line += path.string();
    if (error != 0) {
        line += ": ";
        line += std::strerror(error);
    }
    if (failureLog) {
        failureLog(line);
    } else {
        std::fprintf(stderr, "%s\n", line.c_str());
    }
}

} // namespace platform
