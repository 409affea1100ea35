#pragma once

#include "platform/Displays.h"
#include "platform/RunLoop.h"

#include <functional>
#include <memory>

namespace Parlowen {

// Calls `onChange` on the main loop whenever the display configuration changes: on every
// screen-parameter notification and every display-reconfiguration callback, each as a separate
// main-loop task, without debounce. Each observer keeps its own registrations, so several
// observers all hear every change, and removes them when destroyed; a change delivered after
// that reaches nothing.
class ScreenChangeObserver {
public:
    ScreenChangeObserver(platform::Displays& displays, platform::RunLoop& mainLoop);
    ~ScreenChangeObserver();
    ScreenChangeObserver(const ScreenChangeObserver&) = delete;
    ScreenChangeObserver& operator=(const ScreenChangeObserver&) = delete;

    // What to run after a change; called on the main loop.
    std::function<void()> onChange;

    // Registers for both change sources, replacing this observer's earlier registrations.
    void start();

private:
    void handleChange();
    void removeRegistrations();

    platform::Displays& displays_;
    platform::RunLoop& mainLoop_;
    platform::ObserverToken notificationObserver_ = 0;
    platform::ObserverToken reconfigurationObserver_ = 0;
    // Tasks already queued hold this weakly: once the observer is gone they do nothing.
    std::shared_ptr<ScreenChangeObserver*> self_;
};

} // namespace Parlowen
