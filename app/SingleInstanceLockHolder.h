#pragma once

#include <sys/types.h>

#include <istream>
#include <optional>
#include <string>

namespace Parlowen {

// Who holds the single-copy lock, as the kernel tells it: the process holding the lock file's
// flock (from /proc/locks), or the user whose socket is bound to the lock's abstract name
// (from the socket diagnostics, which name no process). Lookups read a bounded amount and
// answer none when the kernel cannot tell, or the holder went away meanwhile.
struct SingleInstanceLockHolder {
    std::optional<pid_t> processIdentifier;
    uid_t user = 0;

    // The holder of the flock on the file open at `descriptor`.
    static std::optional<SingleInstanceLockHolder> ofFile(int descriptor);
    // The holder of the abstract socket name (its leading zero byte included).
    static std::optional<SingleInstanceLockHolder> ofName(const std::string& name);

    // The pid holding a flock on the file of this device and inode, in the text of /proc/locks;
    // waiters and other kinds of lock do not count.
    static std::optional<pid_t> flockHolderIn(std::istream& locks, dev_t device, ino_t inode);

    friend bool operator==(const SingleInstanceLockHolder&,
                           const SingleInstanceLockHolder&) = default;
};

} // namespace Parlowen
