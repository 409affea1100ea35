#pragma once

#include "platform/LockHolders.h"
#include "platform/Logger.h"
#include "platform/ProcessEnvironment.h"

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace Parlowen {

// An exclusive advisory lock on a file that holds its owner's pid. The descriptor is opened
// close-on-exec and never through a symbolic link, so no child process keeps the lock after
// this one ends and no link can point the write elsewhere. The file is never deleted.
//
// When the file cannot be used (a link or a folder at its path, a folder that cannot be made,
// a file that cannot be opened or locked), the lock is taken by name instead, with one log
// line saying why: a socket bound to an abstract name made of this user's id and the lock
// file's path, which the kernel frees when the holder ends. Copies started together therefore
// still find one holder. Abstract names have no owner or permissions, so a process of any user
// can take this user's name first, as a process of another user that may open the file can
// hold the file's lock; a log line then names that user (and the process holding the file),
// as `holders` tell them, or says that the holder of the file cannot be found.
class SingleInstanceFileLock {
public:
    // `heldByAnotherUser`: held by a process of another user, so no copy of this user's holds
    // it; `heldByAnotherProcess` otherwise.
    enum class AcquireResult { acquired, heldByAnotherProcess, heldByAnotherUser, unavailable };

    // Log lines go to `logger`; none are written without one. `holders` outlive the lock.
    SingleInstanceFileLock(std::filesystem::path url, const platform::LockHolders& holders,
                           std::optional<platform::Logger> logger = std::nullopt);
    // Releases a held lock.
    ~SingleInstanceFileLock();
    SingleInstanceFileLock(const SingleInstanceFileLock&) = delete;
    SingleInstanceFileLock& operator=(const SingleInstanceFileLock&) = delete;

    // "Tessaline/Tessaline.lock" in the user's data folder ($XDG_DATA_HOME, else
    // $HOME/.local/share; only absolute paths count); none without either.
    static std::unique_ptr<SingleInstanceFileLock>
    defaultLock(const platform::ProcessEnvironment& environment,
                const platform::LockHolders& holders,
                std::optional<platform::Logger> logger = std::nullopt);

    // Takes the lock without waiting and writes the owner's pid and a line feed into the file.
    // Holding it already answers `acquired` without rewriting. `unavailable` only when neither
    // the file nor the name can be used.
    AcquireResult acquire(pid_t ownerPID);
    // Unlocks and closes; nothing when no lock is held.
    void release();

    const std::filesystem::path& url() const { return url_; }
    // The descriptor holding the lock (the file's, or the socket bound to the lock's name);
    // -1 while no lock is held.
    int fileDescriptor() const { return fileDescriptor_; }

private:
    // The lock on the file; `problem` tells why the file cannot be used when unavailable.
    AcquireResult acquireFile(pid_t ownerPID, std::string& problem);
    AcquireResult acquireName();
    void log(const std::string& line) const;

    std::filesystem::path url_;
    // The abstract socket name standing in for the file; fixed when the lock is made.
    std::string name_;
    const platform::LockHolders& holders_;
    std::optional<platform::Logger> logger_;
    int fileDescriptor_ = -1;
    bool heldByName_ = false;
};

} // namespace Parlowen
