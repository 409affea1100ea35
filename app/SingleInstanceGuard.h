#pragma once

#include "app/SingleInstanceFileLock.h"
#include "app/SingleInstancePolicy.h"
#include "platform/DistributedNotificationCenter.h"
#include "platform/RunningCopies.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace Parlowen {

// Lets one copy of the product run per user: a lock file first (or its lock by name when the
// file cannot be used), then the running copies of the bundle. A later copy asks the running
// one to come forward and then quits. Main thread.
class SingleInstanceGuard {
public:
    // The distributed notification a later copy posts: object the bundle identifier, user info
    // "requestingPID".
    static constexpr std::string_view activationRequestNotification =
        "app.tessaline.Tessaline.activation-request";

    // The copies and the centre outlive the guard; `lock` may be null (no lock then).
    SingleInstanceGuard(std::optional<std::string> bundleIdentifier, pid_t currentProcessIdentifier,
                        std::optional<platform::WallTime> launchDate, SingleInstancePolicy policy,
                        std::unique_ptr<SingleInstanceFileLock> lock,
                        platform::RunningCopies& runningCopies,
                        platform::DistributedNotificationCenter& notifications);

    // True when this process should quit: another copy exists and was asked to come forward,
    // or a process of another user holds the lock (nobody is asked then); false when this
    // launch goes on. A lock that cannot be taken for any reason but another holder counts as
    // no lock.
    bool requestExistingInstanceActivationIfNeeded();
    // Whether the start was turned away by a process of another user: no copy of this user's
    // runs, so the start failed.
    bool turnedAwayByAnotherUser() const { return turnedAwayByAnotherUser_; }

    SingleInstanceFileLock* lock() const { return lock_.get(); }

private:
    bool requestActivation(pid_t pid, const std::vector<platform::RunningCopy>& listed);
    bool postActivationRequest();

    std::optional<std::string> bundleIdentifier_;
    pid_t currentProcessIdentifier_;
    std::optional<platform::WallTime> launchDate_;
    SingleInstancePolicy policy_;
    std::unique_ptr<SingleInstanceFileLock> lock_;
    platform::RunningCopies& runningCopies_;
    platform::DistributedNotificationCenter& notifications_;
    bool turnedAwayByAnotherUser_ = false;
};

} // namespace Parlowen
