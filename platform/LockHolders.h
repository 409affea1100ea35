#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

namespace platform {

// Who holds a lock that this process could not take: the process when the system names it, and
// its user.
struct LockHolder {
    std::optional<pid_t> processIdentifier;
    uid_t user = 0;

    friend bool operator==(const LockHolder&, const LockHolder&) = default;
};

// Finds the holders of locks, so that a lock held by a process of another user can be told from
// one held by a copy of this user's. Lookups answer none when the system cannot tell, or the
// holder went away meanwhile.
class LockHolders {
public:
    LockHolders() = default;
    LockHolders(const LockHolders&) = delete;
    LockHolders& operator=(const LockHolders&) = delete;
    virtual ~LockHolders() = default;

    // The holder of the flock on the file open at `descriptor`, with its process.
    virtual std::optional<LockHolder> ofFile(int descriptor) const = 0;
    // The user whose socket is bound to the abstract socket name (its leading zero byte
    // included); no process is named.
    virtual std::optional<LockHolder> ofSocketName(const std::string& name) const = 0;
};

} // namespace platform
