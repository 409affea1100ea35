#pragma once

#include "platform/Accessibility.h"
#include "platform/BundleInfo.h"
#include "platform/Clock.h"
#include "platform/Displays.h"
#include "platform/DistributedNotificationCenter.h"
#include "platform/EventMonitors.h"
#include "platform/Events.h"
#include "platform/GlobalHotKeys.h"
#include "platform/LogSink.h"
#include "platform/LoginItems.h"
#include "platform/ProcessEnvironment.h"
#include "platform/RunLoop.h"
#include "platform/RunningCopies.h"
#include "platform/StatusBar.h"
#include "platform/WindowServer.h"
#include "platform/Workspace.h"

namespace platform {

// The macOS services handed to constructors, chosen once at start-up (the simulated desktop in
// the program for what only macOS has, Linux's own services for the rest; one with a virtual
// clock and in-memory stores and buses in tests). The referenced objects outlive the users.
struct PlatformServices {
    Accessibility& accessibility;
    WindowServer& windowServer;
    Events& events;
    Displays& displays;
    Workspace& workspace;
    RunLoop& mainLoop;
    Clock& clock;
    BundleInfo& bundle;
    LogSink& log;
    const ProcessEnvironment& environment;
    LoginItems& loginItems;
    StatusBar& statusBar;
    GlobalHotKeys& hotKeys;
    EventMonitors& eventMonitors;
    DistributedNotificationCenter& distributedNotifications;
    RunningCopies& runningCopies;
};

} // namespace platform
