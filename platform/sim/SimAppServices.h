#pragma once

#include "platform/InMemoryBundleInfo.h"
#include "platform/InMemoryDistributedNotificationCenter.h"
#include "platform/InMemoryLoginItems.h"
#include "platform/InMemoryNotificationBus.h"
#include "platform/ProcessEnvironment.h"
#include "platform/RecordingLogSink.h"
#include "platform/sim/SimEventMonitors.h"
#include "platform/sim/SimHotKeys.h"
#include "platform/sim/SimRunningCopies.h"
#include "platform/sim/SimStatusBar.h"

namespace platform::sim {

class SimulatedDesktop;
class SimWorkspace;

// The application services of the simulated desktop's own process, each open to tests: its
// bundle (the described bundle identifier, no Info values until a test sets them), a log that
// records, an empty environment, an in-memory login item, its status items, the desktop's chord
// table, the modifier keys, an in-memory notification bus that other simulated processes can
// join, and the running copies among the described applications.
struct SimAppServices {
    SimAppServices(SimulatedDesktop& desktop, RunLoop& mainLoop, SimWorkspace& workspace);

    InMemoryBundleInfo bundle;
    RecordingLogSink log;
    ProcessEnvironment environment;
    InMemoryLoginItems loginItems;
    SimStatusBar statusBar;
    SimHotKeys hotKeys;
    SimEventMonitors eventMonitors;
    InMemoryNotificationBus notificationBus;
    InMemoryDistributedNotificationCenter distributedNotifications;
    SimRunningCopies runningCopies;
    SimWorkspace& workspace;
};

} // namespace platform::sim
