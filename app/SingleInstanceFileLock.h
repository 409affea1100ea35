#pragma once

#include "platform/ProcessEnvironment.h"

#include <sys/types.h>

#include <filesystem>
#include <memory>

namespace Parlowen {

// An exclusive advisory lock on a file that holds its owner's pid. The descriptor is opened
// close-on-exec and never through a symbolic link, so no child process keeps the lock after
// this one ends and no link can point the write elsewhere. The file is never deleted.
class SingleInstanceFileLock {
public:
    enum class AcquireResult { acquired, heldByAnotherProcess, unavailable };

    explicit SingleInstanceFileLock(std::filesystem::path url);
    // Releases a held lock.
    ~SingleInstanceFileLock();
    SingleInstanceFileLock(const SingleInstanceFileLock&) = delete;
    SingleInstanceFileLock& operator=(const SingleInstanceFileLock&) = delete;

    // "Tessaline/Tessaline.lock" in the user's data folder ($XDG_DATA_HOME, else
    // $HOME/.local/share; only absolute paths count); none without either.
    static std::unique_ptr<SingleInstanceFileLock>
    defaultLock(const platform::ProcessEnvironment& environment);

    // Takes the lock without waiting and writes the owner's pid and a line feed into the file.
    // Holding it already answers `acquired` without rewriting.
    AcquireResult acquire(pid_t ownerPID);
    // Unlocks and closes; nothing when no lock is held.
    void release();

    const std::filesystem::path& url() const { return url_; }
    // -1 while no lock is held.
    int fileDescriptor() const { return fileDescriptor_; }

private:
    std::filesystem::path url_;
    int fileDescriptor_ = -1;
};

} // namespace Parlowen
