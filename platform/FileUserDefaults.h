#pragma once

#include "platform/UserDefaults.h"
#include "platform/UserDefaultsFileCodec.h"

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>

namespace platform {

// The user's settings kept in one JSON file (mode 0600). Every write takes an advisory lock on
// "<file>.lock", merges its one change into what the file holds at that moment and replaces
// the file atomically (temporary file, fsync, rename), so stores in other objects or
// processes on the same file keep each other's keys; temporary files that a writer killed
// mid-write left beside the file are removed by the next write. No write goes ahead without
// the lock: when the lock file cannot be opened and locked (a symbolic link at its path, a file
// of another user) the write is dropped and reported. A lock that another process holds is
// waited for a bounded time only; past it the change is kept in memory, where reads see it, and
// written over the file's contents of that moment by the first read or write that finds the
// lock free (or when the store goes away), so no thread blocks for ever and no change is lost.
// Reads are served from memory and reload the file when it changed on disk. The file is read
// only when it is a regular file of this user (a symbolic link to one counts) of at most
// 16 MiB, never opened when it is anything else, so no pipe, device or huge file at its path
// can hang or exhaust the program. Members of types this store does not know are kept and
// written back unchanged; a file that is not a JSON object at all, or is no such file, reads as
// empty and is renamed to "<file>.corrupt-<UTC time>" before anything else is written, with a
// line saying why. A file that exists but cannot be read at the moment is left alone: reads
// keep what was last loaded and writes are dropped until it can be read again.
class FileUserDefaults final : public UserDefaults {
public:
    // Where a dropped, delayed or late write and a file kept aside are reported, one line
    // without a line feed.
    using FailureLog = std::function<void(std::string_view line)>;

    // How long a write waits for the lock that another process holds.
    static constexpr std::chrono::milliseconds standardLockWait{2000};
    // A larger settings file is kept aside unread.
    static constexpr std::size_t maximumFileSize = 16 * 1024 * 1024;

    // An empty `log` reports to standard error.
    explicit FileUserDefaults(std::filesystem::path path, FailureLog log = {},
                              std::chrono::milliseconds lockWait = standardLockWait);
    // Changes still kept in memory get one last wait for the lock.
    ~FileUserDefaults() override;

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
    // no JSON object, or no file to read, kept aside. False, with the cache as it was and
    // errno telling why, when the file exists but cannot be read now.
    bool load(bool fileLocked) const;
    void keepAsideLocked(std::string_view reason) const;
    // With the file lock held: applies the changes kept in memory and then `change` of `key`
    // (when given) to the file's current contents, and writes them if anything changed.
    void commitLocked(std::string_view key, const DefaultsChange* change) const;
    // Keeps the change in memory while another process holds the lock (mutex held).
    void keepUntilLockIsFree(std::string_view key, const DefaultsChange& change);
    bool writeLocked(const UserDefaultsFileContents& contents) const;
    void reportDroppedWrite(std::string_view reason, const std::filesystem::path& path,
                            int error) const;
    void report(const std::string& line) const;

    std::filesystem::path filePath;
    std::filesystem::path lockPath;
    FailureLog failureLog;
    std::chrono::milliseconds lockWait;
    mutable std::mutex mutex;
    mutable UserDefaultsFileContents cache;
    // Changes not yet written for want of the lock, by key; none removes the key.
    mutable std::map<std::string, std::optional<DefaultsValue>, std::less<>> pending;
    mutable std::optional<FileStamp> loadedStamp;
    mutable bool loaded = false;
};

} // namespace platform
