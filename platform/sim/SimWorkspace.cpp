#include "platform/sim/SimWorkspace.h"

namespace platform::sim {

std::vector<RunningApplication> SimWorkspace::runningApplications() {
    std::lock_guard lock(desktop_.mutex_);
    return desktop_.runningApplications();
}

pid_t SimWorkspace::currentProcessIdentifier() {
    std::lock_guard lock(desktop_.mutex_);
    return desktop_.ownProcess_.pid;
}

ObserverToken SimWorkspace::addLaunchObserver(ApplicationHandler handler) {
    return addObserver(Change::launched, std::move(handler));
}

ObserverToken SimWorkspace::addTerminateObserver(ApplicationHandler handler) {
    return addObserver(Change::terminated, std::move(handler));
}

ObserverToken SimWorkspace::addObserver(Change change, ApplicationHandler handler) {
    std::lock_guard lock(desktop_.mutex_);
    observers_.emplace(nextToken_, std::pair(change, std::move(handler)));
    return nextToken_++;
}

void SimWorkspace::removeObserver(ObserverToken token) {
    std::lock_guard lock(desktop_.mutex_);
    observers_.erase(token);
}

void SimWorkspace::notify(Change change, const RunningApplication& application) {
    for (const auto& [token, observer] : observers_) {
        if (observer.first == change) {
            desktop_.postToMain([handler = observer.second, application] { handler(application); });
        }
    }
}

NSApplicationActivationPolicy SimWorkspace::activationPolicy() {
    std::lock_guard lock(desktop_.mutex_);
    return desktop_.ownProcess_.activationPolicy;
}

bool SimWorkspace::setActivationPolicy(NSApplicationActivationPolicy policy) {
    std::lock_guard lock(desktop_.mutex_);
    desktop_.record_.activationCalls.push_back(
        {ActivationCall::Kind::setActivationPolicy, policy, false, 0, 0});
    desktop_.ownProcess_.activationPolicy = policy;
    return true;
}

void SimWorkspace::activateIgnoringOtherApps(bool flag) {
    std::lock_guard lock(desktop_.mutex_);
    desktop_.record_.activationCalls.push_back(
        {ActivationCall::Kind::activateIgnoringOtherApps, {}, flag, desktop_.ownProcess_.pid, 0});
    if (desktop_.ownProcess_.activationPolicy == NSApplicationActivationPolicyRegular) {
        desktop_.frontmost_ = desktop_.ownProcess_.pid;
    }
}

bool SimWorkspace::activate(pid_t pid, NSApplicationActivationOptions options) {
    std::lock_guard lock(desktop_.mutex_);
    desktop_.record_.activationCalls.push_back(
        {ActivationCall::Kind::activate, {}, false, pid, options});
    const AppDescription* app = desktop_.findApp(pid);
    if (app == nullptr) {
        return false;
    }
    if (app->activationPolicy == NSApplicationActivationPolicyRegular) {
        desktop_.frontmost_ = pid;
    }
    return true;
}

} // namespace platform::sim
