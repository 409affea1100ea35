#include "app/SingleInstancePolicy.h"

#include <algorithm>

namespace Parlowen {

bool SingleInstancePolicy::launchedBefore(const RunningApplicationSnapshot& a,
                                          const RunningApplicationSnapshot& b) {
    if (a.launchDate && b.launchDate) {
        if (*a.launchDate != *b.launchDate) {
            return *a.launchDate < *b.launchDate;
        }
        return a.processIdentifier < b.processIdentifier;
    }
    if (a.launchDate.has_value() != b.launchDate.has_value()) {
        return a.launchDate.has_value();
    }
    return a.processIdentifier < b.processIdentifier;
}

SingleInstanceLaunchDecision SingleInstancePolicy::launchDecision(
    pid_t currentProcessIdentifier, const std::optional<std::string>& bundleIdentifier,
    const std::optional<platform::WallTime>& currentLaunchDate,
    const std::vector<RunningApplicationSnapshot>& runningApplications) const {
    if (!bundleIdentifier) {
        return SingleInstanceLaunchDecision::continueLaunch();
    }
    std::vector<RunningApplicationSnapshot> others;
    for (const RunningApplicationSnapshot& application : runningApplications) {
        if (application.processIdentifier != currentProcessIdentifier &&
            application.bundleIdentifier == bundleIdentifier && !application.isTerminated) {
            others.push_back(application);
        }
    }
    if (others.empty()) {
        return SingleInstanceLaunchDecision::continueLaunch();
    }
    const auto oldest = std::min_element(others.begin(), others.end(), launchedBefore);
    const RunningApplicationSnapshot current{currentProcessIdentifier, bundleIdentifier,
                                             currentLaunchDate, false};
    if (!launchedBefore(*oldest, current)) {
        return SingleInstanceLaunchDecision::continueLaunch();
    }
    return SingleInstanceLaunchDecision::activateExisting(oldest->processIdentifier);
}

} // namespace Parlowen
