#pragma once

#include "platform/Workspace.h"
#include "platform/sim/SimulatedDesktop.h"

namespace platform::sim {

// The simulated running applications, their launch and terminate notifications and this
// application's activation, which is recorded for tests.
class SimWorkspace : public Workspace {
public:
    enum class Change { launched, terminated };

    explicit SimWorkspace(SimulatedDesktop& desktop) : desktop_(desktop) {}

    std::vector<RunningApplication> runningApplications() override;
    pid_t currentProcessIdentifier() override;
    ObserverToken addLaunchObserver(ApplicationHandler handler) override;
    ObserverToken addTerminateObserver(ApplicationHandler handler) override;
    void removeObserver(ObserverToken token) override;
    NSApplicationActivationPolicy activationPolicy() override;
    bool setActivationPolicy(NSApplicationActivationPolicy policy) override;
    void activateIgnoringOtherApps(bool flag) override;
    bool activate(pid_t pid, NSApplicationActivationOptions options) override;

    // Posts the notification of a launch or termination; with the desktop's lock held.
    void notify(Change change, const RunningApplication& application);

private:
    ObserverToken addObserver(Change change, ApplicationHandler handler);

    SimulatedDesktop& desktop_;
    ObserverToken nextToken_ = 1;
    std::map<ObserverToken, std::pair<Change, ApplicationHandler>> observers_;
};

} // namespace platform::sim
