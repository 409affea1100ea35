#pragma once

#include "platform/FileLock.h"

#include <filesystem>
#include <functional>

namespace platform {

// A lock file that writers take in turn. A writer first takes the gate ("<lock>.queue"), then
// the lock, and lets the gate go at once; a writer that has to wait for the lock waits holding
// the gate. So the holder that lets the lock go cannot take it again before the writer that
// waited for it: whoever else writes, a waiting writer gets the lock when its holder frees it.
// `none` takes both only when both are free at once; `untilFree` waits in the kernel for each.
class QueuedFileLock {
public:
    enum class Wait { none, untilFree };
    // Told the path of the file (the gate or the lock) that another holds, before waiting for it.
    using WaitingFor = std::function<void(const std::filesystem::path& heldFile)>;

    QueuedFileLock(const std::filesystem::path& lockPath, Wait wait,
                   const WaitingFor& waitingFor = {});

    bool held() const { return lock.held(); }
    // The gate or the lock is held elsewhere.
    bool heldElsewhere() const { return !held() && error == EWOULDBLOCK; }
    // What could not be locked (the gate or the lock), and why.
    std::filesystem::path failedPath;
    int error = 0;

private:
    FileLock lock;
};

} // namespace platform
