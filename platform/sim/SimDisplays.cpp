#include "platform/sim/SimDisplays.h"

namespace platform::sim {

std::vector<Screen> SimDisplays::screens() {
    std::lock_guard lock(desktop_.mutex_);
    std::vector<Screen> screens;
    for (const DisplayDescription& display : desktop_.displays_) {
        screens.push_back(StatusBarLayout::screenOf(display));
    }
    return screens;
}

ObserverToken SimDisplays::addScreenParametersObserver(ScreenParametersHandler handler) {
    std::lock_guard lock(desktop_.mutex_);
    parameterObservers_.emplace(nextToken_, std::move(handler));
    return nextToken_++;
}

ObserverToken SimDisplays::registerReconfigurationCallback(ReconfigurationHandler handler) {
    std::lock_guard lock(desktop_.mutex_);
    reconfigurationCallbacks_.emplace(nextToken_, std::move(handler));
    return nextToken_++;
}

void SimDisplays::removeObserver(ObserverToken token) {
    std::lock_guard lock(desktop_.mutex_);
    parameterObservers_.erase(token);
    reconfigurationCallbacks_.erase(token);
}

void SimDisplays::notify(const std::vector<CGDirectDisplayID>& affected) {
    // As on macOS: for each display a call before the change and one after it, then the
    // application's screen-parameter notification.
    for (const auto& registration : reconfigurationCallbacks_) {
        const auto& callback = registration.second;
        for (CGDirectDisplayID display : affected) {
            desktop_.postToMain(
                [callback, display] { callback(display, kCGDisplayBeginConfigurationFlag); });
            desktop_.postToMain([callback, display] { callback(display, kCGDisplaySetModeFlag); });
        }
    }
    for (const auto& [token, handler] : parameterObservers_) {
        desktop_.postToMain(handler);
    }
}

} // namespace platform::sim
