#pragma once

#include "platform/Clock.h"
#include "platform/Workspace.h"

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// One running copy of an application bundle, as NSRunningApplication describes it.
struct RunningCopy {
    pid_t processIdentifier = 0;
    std::optional<std::string> bundleIdentifier;
    std::optional<WallTime> launchDate;
    bool isTerminated = false;

    friend bool operator==(const RunningCopy&, const RunningCopy&) = default;
};

// The running copies of a bundle (NSRunningApplication runningApplicationsWithBundleIdentifier:)
// and their activation.
class RunningCopies {
public:
    RunningCopies() = default;
    RunningCopies(const RunningCopies&) = delete;
    RunningCopies& operator=(const RunningCopies&) = delete;
    virtual ~RunningCopies() = default;

    // The copies running with that bundle identifier, this process included.
    virtual std::vector<RunningCopy> runningApplications(std::string_view bundleIdentifier) = 0;
    // Whether the copy has terminated since it was listed (terminated); true for unknown ones.
    virtual bool isTerminated(pid_t pid) = 0;
    // Brings a copy forward (activateWithOptions:); false when it is not running.
    virtual bool activate(pid_t pid, NSApplicationActivationOptions options) = 0;
};

} // namespace platform
