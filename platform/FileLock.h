#pragma once

#include "platform/FileDescriptor.h"

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <utility>

namespace platform {

// An exclusive advisory lock on a lock file, held for the object's life (made when missing,
// kept afterwards). A symbolic link at the path, anything but a regular file (with
// `thisUserOnly`, of this user), or a file this user cannot open is never locked, and no pipe
// planted there can block the open: `held` is then false and `error` tells why (EINVAL for a
// file that is not such a regular file). A lock that another holds is waited for `wait` at most;
// `untilFree` waits in the kernel until the holder lets it go.
class FileLock {
public:
    enum class Owner { anyUser, thisUserOnly };
    static constexpr std::chrono::milliseconds untilFree = std::chrono::milliseconds::max();

    FileLock() = default;
    explicit FileLock(const std::filesystem::path& path,
                      std::chrono::milliseconds wait = std::chrono::milliseconds(0),
                      Owner owner = Owner::anyUser);
    // A moved lock goes with its descriptor; the source holds nothing afterwards.
    FileLock(FileLock&& other) noexcept
        : error(std::exchange(other.error, 0)), descriptor(std::move(other.descriptor)),
          locked(std::exchange(other.locked, false)) {}
    FileLock& operator=(FileLock&& other) noexcept {
        if (this != &other) {
            descriptor = std::move(other.descriptor);
            locked = std::exchange(other.locked, false);
            error = std::exchange(other.error, 0);
        }
        return *this;
    }

    bool held() const { return locked; }
    // Another process held the lock all the time it was waited for.
    bool heldElsewhere() const { return !locked && error == EWOULDBLOCK; }
    int error = 0;

private:
    FileDescriptor descriptor; // closing it releases the lock
    bool locked = false;
};

} // namespace platform
