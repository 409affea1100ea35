#pragma once

#include "platform/RunningCopies.h"
#include "platform/Workspace.h"

namespace platform::sim {

// The running copies of a bundle among the desktop's running applications; activation goes
// through the workspace, which records it.
class SimRunningCopies final : public RunningCopies {
public:
    explicit SimRunningCopies(Workspace& workspace) : workspace_(workspace) {}

    std::vector<RunningCopy> runningApplications(std::string_view bundleIdentifier) override;
    bool isTerminated(pid_t pid) override;
    bool activate(pid_t pid, NSApplicationActivationOptions options) override;

private:
    Workspace& workspace_;
};

} // namespace platform::sim
