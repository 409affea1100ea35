#pragma once

#include "platform/UserDefaults.h"

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

namespace platform {

// The user's settings kept in one JSON file (mode 0600). Every write takes an advisory lock on
// "<file>.lock" (in turn: see QueuedFileLock), applies its one change to what the file holds at
// that moment and replaces the file atomically (temporary file, fsync, rename), so stores in
// other objects or processes on the same file keep each other's keys; temporary files that a
// writer killed mid-write left beside the file are removed by the next write. A settings file
// that is a symbolic link is written through: its target is replaced in the target's folder
// and the link stays; a link to nothing is replaced by the file, with a line. No write goes ahead
// without the lock: when the lock file cannot be opened and locked (a symbolic link at its path, a
// file of another user) the write is dropped and reported.
//
// A lock that another process holds is waited for on a thread of the store's own, which takes
// it the moment it frees. The caller waits a bounded time for that; past it the change waits
// in memory, where reads see it, and later changes join it without waiting. What waits is kept
// as the change it is and applied to the file's contents of the moment it is written, so no
// change of another process is overwritten. `synchronize` (and the store's end) waits for it a
// bounded time once more and names every key it could not save.
//
// Reads are served from memory and reload the file when it changed on disk. The file is read
// only when it is a regular file of this user (a symbolic link to one counts) of at most
// 16 MiB, never opened when it is anything else, so no pipe, device or huge file at its path
// can hang or exhaust the program. A file replaced while it is read is read again. Members of
// types this store does not know are kept and written back unchanged; a file that is not valid
// JSON, not a JSON object, or no such file reads as empty and is renamed to
// "<file>.corrupt-<UTC time>" before anything else is written, with a line saying why and where
// it went (for a link to a file of this user, that file is renamed beside itself and the link
// stays); one that cannot be renamed stays, with a line once. A file that exists but cannot be read
// at the moment is left alone: reads keep what was last loaded; a change then waits in memory for
// the next write that can read the file, or is dropped and reported when this user may not read it.
class FileUserDefaults final : public UserDefaults {
public:
    // Where a dropped, delayed or late write and a file kept aside are reported, one line
    // without a line feed.
    using FailureLog = std::function<void(std::string_view line)>;

    // How long a write waits for the lock that another process holds.
    static constexpr std::chrono::milliseconds standardLockWait{2000};
    // How long `synchronize` waits for it.
    static constexpr std::chrono::milliseconds standardEndWait{10000};
    // A larger settings file is kept aside unread.
    static constexpr std::size_t maximumFileSize = 16 * 1024 * 1024;

    // An empty `log` reports to standard error.
    explicit FileUserDefaults(std::filesystem::path path, FailureLog log = {},
                              std::chrono::milliseconds lockWait = standardLockWait,
                              std::chrono::milliseconds endWait = standardEndWait);
    // Synchronizes.
    ~FileUserDefaults() override;

    // "tessaline/defaults.json" in $XDG_CONFIG_HOME, or in ~/.config when that is unset or not
    // an absolute path.
    static std::filesystem::path standardPath();

    const std::filesystem::path& path() const;

    void set(std::string_view key, DefaultsValue value) override;
    void removeObject(std::string_view key) override;
    std::optional<DefaultsValue> update(std::string_view key,
                                        const DefaultsChange& change) override;
    std::optional<DefaultsValue> updateIf(std::string_view key, const DefaultsCondition& applies,
                                          const DefaultsChange& change) override;
    void synchronize() override;

protected:
    std::optional<DefaultsValue> storedObject(std::string_view key) const override;

private:
    class File;

    // Shared with the thread that waits for the lock, which may outlast the store when the
    // end's wait runs out.
    std::shared_ptr<File> file;
    std::chrono::milliseconds lockWait;
    std::chrono::milliseconds endWait;
};

} // namespace platform
