#include "platform/sim/SimAppServices.h"

#include "platform/sim/SimWorkspace.h"
#include "platform/sim/SimulatedDesktop.h"

namespace platform::sim {

namespace {
std::string bundlePathOf(const AppDescription& app) {
    return "/Applications/" + app.name.value_or("Tessaline") + ".app";
}
} // namespace

SimAppServices::SimAppServices(SimulatedDesktop& desktop, RunLoop& mainLoop,
                               SimWorkspace& workspace)
    : bundle(desktop.initialDescription().ownProcess.bundleIdentifier,
             bundlePathOf(desktop.initialDescription().ownProcess)),
      statusBar(desktop, desktop.initialDescription().appServices.ownStatusItemPosition),
      hotKeys(mainLoop, desktop.initialDescription().ownProcess.pid,
              desktop.initialDescription().appServices.heldHotKeys),
      eventMonitors(mainLoop,
                    [&desktop] {
                        std::lock_guard lock(desktop.mutex_);
                        return desktop.frontmost_ == desktop.ownProcess_.pid;
                    }),
      distributedNotifications(notificationBus, mainLoop, log,
                               desktop.initialDescription().ownProcess.pid),
      runningCopies(workspace), workspace(workspace) {}

} // namespace platform::sim
