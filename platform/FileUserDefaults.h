#pragma once

#include "platform/UserDefaults.h"
#include "platform/UserDefaultsFileCodec.h"

#include <sys/types.h>

#include <ctime>
#include <filesystem>
#include <functional>

namespace platform {

// The user's settings kept in one JSON file (mode 0600). Every write takes an advisory lock on
// "<file>.lock", merges its one change into what the file holds at that moment and replaces
// the file atomically (temporary file, fsync, rename), so stores in other objects or
// processes on the same file keep each other's keys; temporary files that a writer killed
// mid-write left beside the file are removed by the next write. No write goes ahead without
// the lock: when the lock file cannot be opened and locked (a symbolic link at its path, a file
// of another user) the write is dropped and reported. Reads are served from memory and reload
// the file when it changed on disk. Members of types this store does not know are kept and written
// back unchanged; a file that is not a JSON object at all reads as empty and is renamed to
// "<file>.corrupt-<UTC time>" before anything else is written. A file that exists but cannot
// be read at the moment is left alone: reads keep what was last loaded and writes are dropped
// until it can be read again.
class FileUserDefaults final : public UserDefaults {
public:
    // Where a dropped write is reported, one line without a line feed.
    using FailureLog = std::function<void(std::string_view line)>;

    // An empty `log` reports to standard error.
    explicit FileUserDefaults(std::filesystem::path path, FailureLog log = {});

    // "tessaline/defaults.json" in $XDG_CONFIG_HOME, or in ~/.config when that is unset or not
    // an absolute path.
    static std::filesystem::path standardPath();

    const std::filesystem::path& path() const { return filePath; }

    void set(std::string_view key, DefaultsValue value) override;
    void removeObject(std::string_view key) override;
    void update(std::string_view key, const DefaultsChange& change) override;

protected:
    std::optional<DefaultsValue> storedObject(std::string_view key) const override;

private:
    struct FileStamp {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        timespec modified{};
        timespec changed{};
        friend bool operator==(const FileStamp& a, const FileStamp& b) {
            return a.device == b.device && a.inode == b.inode && a.size == b.size &&
                   a.modified.tv_sec == b.modified.tv_sec &&
                   a.modified.tv_nsec == b.modified.tv_nsec &&
                   a.changed.tv_sec == b.changed.tv_sec && a.changed.tv_nsec == b.changed.tv_nsec;
        }
    };

    std::optional<FileStamp> currentStamp() const;
    // Loads the file again when its stamp changed since the last load (mutex held).
    void refreshIfChanged() const;
    // Reads the file into `cache` (mutex held). Only with the file lock held is a file that is
    // no JSON object kept aside. False, with the cache as it was, when the file exists but
    // cannot be read now.
    bool load(bool fileLocked) const;
    void keepAsideLocked() const;
    bool writeLocked(const UserDefaultsFileContents& contents) const;
    void reportDroppedWrite(std::string_view reason, const std::filesystem::path& path,
                            int error) const;

    std::filesystem::path filePath;
    std::filesystem::path lockPath;
    FailureLog failureLog;
    mutable std::mutex mutex;
    mutable UserDefaultsFileContents cache;
    mutable std::optional<FileStamp> loadedStamp;
    mutable bool loaded = false;
};

} // namespace platform
