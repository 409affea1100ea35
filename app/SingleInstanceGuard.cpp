#include "app/SingleInstanceGuard.h"

#include <algorithm>

namespace Parlowen {

SingleInstanceGuard::SingleInstanceGuard(std::optional<std::string> bundleIdentifier,
                                         pid_t currentProcessIdentifier,
                                         std::optional<platform::WallTime> launchDate,
                                         SingleInstancePolicy policy,
                                         std::unique_ptr<SingleInstanceFileLock> lock,
                                         platform::RunningCopies& runningCopies,
                                         platform::DistributedNotificationCenter& notifications)
    : bundleIdentifier_(std::move(bundleIdentifier)),
      currentProcessIdentifier_(currentProcessIdentifier), launchDate_(launchDate), policy_(policy),
      lock_(std::move(lock)), runningCopies_(runningCopies), notifications_(notifications) {}

bool SingleInstanceGuard::requestExistingInstanceActivationIfNeeded() {
    if (!bundleIdentifier_) {
        return false;
    }
    using AcquireResult = SingleInstanceFileLock::AcquireResult;
    const auto locked =
        lock_ ? lock_->acquire(currentProcessIdentifier_) : AcquireResult::unavailable;
    if (locked == AcquireResult::heldByAnotherUser) {
        turnedAwayByAnotherUser_ = true;
        return true;
    }
    if (locked == AcquireResult::heldByAnotherProcess) {
        // The holder answers the request; nobody is activated directly.
        postActivationRequest();
        return true;
    }
    const std::vector<platform::RunningCopy> listed =
        runningCopies_.runningApplications(*bundleIdentifier_);
    std::vector<RunningApplicationSnapshot> snapshots;
    for (const platform::RunningCopy& copy : listed) {
        snapshots.push_back(
            {copy.processIdentifier, copy.bundleIdentifier, copy.launchDate, copy.isTerminated});
    }
    const SingleInstanceLaunchDecision decision = policy_.launchDecision(
        currentProcessIdentifier_, bundleIdentifier_, launchDate_, snapshots);
    if (decision.kind == SingleInstanceLaunchDecision::Kind::continueLaunch) {
        return false;
    }
    const bool requested = requestActivation(decision.processIdentifier, listed);
    if (requested && lock_) {
        lock_->release();
    }
    return requested;
}

bool SingleInstanceGuard::requestActivation(pid_t pid,
                                            const std::vector<platform::RunningCopy>& listed) {
    const auto found =
        std::find_if(listed.begin(), listed.end(), [pid](const platform::RunningCopy& copy) {
            return copy.processIdentifier == pid;
        });
    if (found != listed.end() && runningCopies_.isTerminated(pid)) {
        return false;
    }
    postActivationRequest();
    if (found != listed.end()) {
        runningCopies_.activate(pid, platform::NSApplicationActivateAllWindows);
    }
    return true;
}

bool SingleInstanceGuard::postActivationRequest() {
    platform::DistributedNotification request{
        std::string(activationRequestNotification),
        bundleIdentifier_,
        {{"requestingPID", platform::Value(std::int64_t{currentProcessIdentifier_})}}};
    return notifications_.postNotification(request, true);
}

} // namespace Parlowen
