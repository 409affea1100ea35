#pragma once

#include "platform/Accessibility.h"
#include "platform/Clock.h"
#include "platform/Displays.h"
#include "platform/Events.h"
#include "platform/RunLoop.h"
#include "platform/WindowServer.h"
#include "platform/Workspace.h"

namespace platform {

// The macOS services handed to constructors, chosen once at start-up (the simulated desktop in
// the program, one with a virtual clock in tests). The referenced objects outlive the users.
struct PlatformServices {
    Accessibility& accessibility;
    WindowServer& windowServer;
    Events& events;
    Displays& displays;
    Workspace& workspace;
    RunLoop& mainLoop;
    Clock& clock;
};

} // namespace platform
