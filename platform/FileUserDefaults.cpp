#include "platform/FileUserDefaults.h"

#include "platform/UserDefaultsFileCodec.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <ctime>

namespace platform {

namespace {

// An exclusive advisory lock on a lock file, held for the object's life. When the lock file
// cannot be opened the work goes on unlocked: a settings write is never refused for it.
class FileLock {
public:
    explicit FileLock(const std::filesystem::path& path)
        : descriptor(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600)) {
        if (descriptor >= 0) {
            while (::flock(descriptor, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock() {
        if (descriptor >= 0) {
            ::close(descriptor); // releases the lock
        }
    }

private:
    int descriptor;
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

bool writeAll(int descriptor, const std::string& text) {
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t count = ::write(descriptor, text.data() + written, text.size() - written);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        written += static_cast<std::size_t>(count);
    }
    return true;
}

void syncDirectory(const std::filesystem::path& directory) {
    const int descriptor = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0) {
        ::fsync(descriptor);
        ::close(descriptor);
    }
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

FileUserDefaults::FileUserDefaults(std::filesystem::path path)
    : filePath(std::move(path)), lockPath(filePath.string() + ".lock") {}

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
    modify([&](DefaultsDictionary& values) { values.insert_or_assign(std::string(key), value); });
}

void FileUserDefaults::removeObject(std::string_view key) {
    modify([&](DefaultsDictionary& values) {
        if (const auto found = values.find(key); found != values.end()) {
            values.erase(found);
        }
    });
}

std::optional<DefaultsValue> FileUserDefaults::storedObject(std::string_view key) const {
    const std::lock_guard guard(mutex);
    refreshIfChanged();
    if (const auto found = cache.find(key); found != cache.end()) {
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
    const FileLock lock(lockPath);
    loadLocked();
}

bool FileUserDefaults::loadLocked() const {
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
        cache.clear();
        return true;
    }
    auto values = UserDefaultsFileCodec::decode(*text);
    if (!values) {
        keepAsideLocked();
        cache.clear();
        loadedStamp = currentStamp();
        return true;
    }
    cache = std::move(*values);
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
            syncDirectory(filePath.parent_path());
        }
        return;
    }
}

void FileUserDefaults::modify(const std::function<void(DefaultsDictionary&)>& change) {
    const std::lock_guard guard(mutex);
    std::error_code error;
    std::filesystem::create_directories(filePath.parent_path(), error);
    const FileLock lock(lockPath);
    if (!loadLocked()) {
        // Writing without the file's current contents would drop every other key in it.
        return;
    }
    DefaultsDictionary values = cache;
    change(values);
    // A failed write leaves the file as it was; this process still reads its change until the
    // file changes on disk.
    if (values != cache && writeLocked(values)) {
        loadedStamp = currentStamp();
    }
    cache = std::move(values);
}

bool FileUserDefaults::writeLocked(const DefaultsDictionary& values) const {
    std::string temporary = filePath.string() + ".XXXXXX";
    const int descriptor = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (descriptor < 0) {
        return false;
    }
    const bool written = ::fchmod(descriptor, 0600) == 0 &&
                         writeAll(descriptor, UserDefaultsFileCodec::encode(values)) &&
                         ::fsync(descriptor) == 0;
    const bool closed = ::close(descriptor) == 0;
    if (!written || !closed || ::rename(temporary.c_str(), filePath.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    syncDirectory(filePath.parent_path());
    return true;
}

} // namespace platform
