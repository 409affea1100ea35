#pragma once

#include "platform/Clock.h"

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace Parlowen {

// One running copy as the launch decision sees it.
struct RunningApplicationSnapshot {
    pid_t processIdentifier = 0;
    std::optional<std::string> bundleIdentifier;
    std::optional<platform::WallTime> launchDate;
    bool isTerminated = false;

    friend bool operator==(const RunningApplicationSnapshot&,
                           const RunningApplicationSnapshot&) = default;
};

struct SingleInstanceLaunchDecision {
    enum class Kind { continueLaunch, activateExisting };
    Kind kind = Kind::continueLaunch;
    // The copy to activate (`activateExisting`).
    pid_t processIdentifier = 0;

    static SingleInstanceLaunchDecision continueLaunch() { return {}; }
    static SingleInstanceLaunchDecision activateExisting(pid_t pid) {
        return {Kind::activateExisting, pid};
    }
    friend bool operator==(const SingleInstanceLaunchDecision&,
                           const SingleInstanceLaunchDecision&) = default;
};

// Whether this launch gives way to another running copy of the same bundle.
class SingleInstancePolicy {
public:
    // The oldest other live copy with this bundle identifier (launch date, then pid; a copy
    // with a date before one without), but only when it was launched strictly earlier than this
    // process: two copies started together never both give way. No bundle identifier, or no
    // such copy, continues the launch.
    SingleInstanceLaunchDecision
    launchDecision(pid_t currentProcessIdentifier,
                   const std::optional<std::string>& bundleIdentifier,
                   const std::optional<platform::WallTime>& currentLaunchDate,
                   const std::vector<RunningApplicationSnapshot>& runningApplications) const;

    // The launch order: true when `a` was launched strictly before `b`.
    static bool launchedBefore(const RunningApplicationSnapshot& a,
                               const RunningApplicationSnapshot& b);
};

} // namespace Parlowen
