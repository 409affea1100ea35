#pragma once

#include "platform/LockHolders.h"

namespace platform::native {

// Lock holders as the Linux kernel tells them: a file's flock holder from /proc/locks (the file
// named as the kernel names it, `ProcLocks::fileNameOf`) and the holder's user from its
// /proc/<pid>/status; the user of an abstract socket name from the socket diagnostics
// (NETLINK_SOCK_DIAG), which name no process. Each lookup reads a bounded amount.
class KernelLockHolders final : public LockHolders {
public:
    std::optional<LockHolder> ofFile(int descriptor) const override;
    std::optional<LockHolder> ofSocketName(const std::string& name) const override;
};

} // namespace platform::native
