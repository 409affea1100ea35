#include "Parlowen/Scanning/ScreenChangeObserver.h"

namespace Parlowen {

ScreenChangeObserver::ScreenChangeObserver(platform::Displays& displays,
                                           platform::RunLoop& mainLoop)
    : displays_(displays), mainLoop_(mainLoop),
      self_(std::make_shared<ScreenChangeObserver*>(this)) {}

ScreenChangeObserver::~ScreenChangeObserver() {
    removeRegistrations();
}

void ScreenChangeObserver::start() {
    removeRegistrations();
    const std::weak_ptr<ScreenChangeObserver*> weakSelf = self_;
    // Both sources hand the change on as a task of its own, never inside the delivering call.
    const auto relay = [weakSelf, &mainLoop = mainLoop_] {
        mainLoop.post([weakSelf] {
            if (const auto self = weakSelf.lock()) {
                (*self)->handleChange();
            }
        });
    };
    notificationObserver_ = displays_.addScreenParametersObserver(relay);
    reconfigurationObserver_ = displays_.registerReconfigurationCallback(
        [relay](platform::CGDirectDisplayID, platform::CGDisplayChangeSummaryFlags) { relay(); });
}

void ScreenChangeObserver::handleChange() {
    if (onChange) {
        // A copy, so that the callback may replace `onChange` or destroy this observer; nothing
        // of the observer is touched after the call.
        const auto callback = onChange;
        callback();
    }
}

void ScreenChangeObserver::removeRegistrations() {
    for (platform::ObserverToken* token : {&notificationObserver_, &reconfigurationObserver_}) {
        if (*token != 0) {
            displays_.removeObserver(*token);
            *token = 0;
        }
    }
}

} // namespace Parlowen
