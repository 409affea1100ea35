#include "platform/QueuedFileLock.h"

namespace platform {

QueuedFileLock::QueuedFileLock(const std::filesystem::path& lockPath, Wait wait) {
    const auto waitFor =
        wait == Wait::untilFree ? FileLock::untilFree : std::chrono::milliseconds(0);
    const std::filesystem::path gatePath = lockPath.string() + ".queue";
    const FileLock gate(gatePath, waitFor);
    if (!gate.held()) {
        failedPath = gatePath;
        error = gate.error;
        return;
    }
    lock = FileLock(lockPath, waitFor);
    if (!lock.held()) {
        failedPath = lockPath;
        error = lock.error;
    }
}

} // namespace platform
