#pragma once

#include "platform/WindowServer.h"
#include "platform/sim/SimulatedDesktop.h"

namespace platform::sim {

// The window list of the simulated desktop, front to back: open menus (layer 101), one status
// window per status item (layer 25), the described windows, then the raw entries.
class SimWindowServer : public WindowServer {
public:
    explicit SimWindowServer(SimulatedDesktop& desktop) : desktop_(desktop) {}

    Value copyWindowInfo(CGWindowListOption options, CGWindowID relativeToWindow) override;

private:
    SimulatedDesktop& desktop_;
};

} // namespace platform::sim
