#include "platform/sim/SimRunningCopies.h"

#include <algorithm>

namespace platform::sim {

std::vector<RunningCopy> SimRunningCopies::runningApplications(std::string_view bundleIdentifier) {
    std::vector<RunningCopy> copies;
    for (const RunningApplication& application : workspace_.runningApplications()) {
        if (application.bundleIdentifier == bundleIdentifier) {
            copies.push_back({application.processIdentifier, application.bundleIdentifier,
                              application.launchDate, false});
        }
    }
    return copies;
}

bool SimRunningCopies::isTerminated(pid_t pid) {
    const std::vector<RunningApplication> running = workspace_.runningApplications();
    return std::none_of(running.begin(), running.end(), [pid](const RunningApplication& app) {
        return app.processIdentifier == pid;
    });
}

bool SimRunningCopies::activate(pid_t pid, NSApplicationActivationOptions options) {
    return workspace_.activate(pid, options);
}

} // namespace platform::sim
