#include "platform/QueuedFileLock.h"

namespace platform {

namespace {

// Takes the lock at `path` at once when it is free; else, with `untilFree`, says which file it
// waits for and waits in the kernel.
FileLock take(const std::filesystem::path& path, QueuedFileLock::Wait wait,
              const QueuedFileLock::WaitingFor& waitingFor) {
    FileLock lock(path);
    if (lock.heldElsewhere() && wait == QueuedFileLock::Wait::untilFree) {
        if (waitingFor) {
            waitingFor(path);
        }
        lock = FileLock(path, FileLock::untilFree);
    }
    return lock;
}

} // namespace

QueuedFileLock::QueuedFileLock(const std::filesystem::path& lockPath, Wait wait,
                               const WaitingFor& waitingFor) {
    const std::filesystem::path gatePath = lockPath.string() + ".queue";
    const FileLock gate = take(gatePath, wait, waitingFor);
    if (!gate.held()) {
        failedPath = gatePath;
        error = gate.error;
        return;
    }
    lock = take(lockPath, wait, waitingFor);
    if (!lock.held()) {
        failedPath = lockPath;
        error = lock.error;
    }
}

} // namespace platform
