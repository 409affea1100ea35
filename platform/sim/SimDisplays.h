#pragma once

#include "platform/Displays.h"
#include "platform/sim/SimulatedDesktop.h"

namespace platform::sim {

// The simulated displays and their change notifications.
class SimDisplays : public Displays {
public:
    explicit SimDisplays(SimulatedDesktop& desktop) : desktop_(desktop) {}

    std::vector<Screen> screens() override;
    ObserverToken addScreenParametersObserver(ScreenParametersHandler handler) override;
    ObserverToken registerReconfigurationCallback(ReconfigurationHandler handler) override;
    void removeObserver(ObserverToken token) override;

    // Posts the notifications of a change of these displays; with the desktop's lock held.
    void notify(const std::vector<CGDirectDisplayID>& affected);

private:
    SimulatedDesktop& desktop_;
    ObserverToken nextToken_ = 1;
    std::map<ObserverToken, ScreenParametersHandler> parameterObservers_;
    std::map<ObserverToken, ReconfigurationHandler> reconfigurationCallbacks_;
};

} // namespace platform::sim
