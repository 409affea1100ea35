#include "platform/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

namespace platform {

FileLock::FileLock(const std::filesystem::path& path, std::chrono::milliseconds wait, Owner owner)
    : descriptor(
          ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600)) {
    if (descriptor.get() < 0) {
        error = errno;
        return;
    }
    struct stat status {};
    if (::fstat(descriptor.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        (owner == Owner::thisUserOnly && status.st_uid != ::geteuid())) {
        error = EINVAL;
        return;
    }
    if (wait == untilFree) {
        while (::flock(descriptor.get(), LOCK_EX) != 0) {
            if (errno != EINTR) {
                error = errno;
                return;
            }
        }
        locked = true;
        return;
    }
    // flock cannot wait for a limited time: it is tried again after growing pauses.
    const auto deadline = std::chrono::steady_clock::now() + wait;
    std::chrono::milliseconds pause{1};
    for (;;) {
        if (::flock(descriptor.get(), LOCK_EX | LOCK_NB) == 0) {
            locked = true;
            error = 0;
            return;
        }
        error = errno;
        if (error == EINTR) {
            continue;
        }
        const auto left = deadline - std::chrono::steady_clock::now();
        if (error != EWOULDBLOCK || left <= left.zero()) {
            return;
        }
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(pause, left));
        pause = std::min(pause * 2, std::chrono::milliseconds(20));
    }
}

} // namespace platform
