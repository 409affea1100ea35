#pragma once

#include "Parlowen/Items/AXMenuBarItemRecord.h"
#include "core/ActionAttemptLog.h"
#include "platform/PlatformServices.h"
#include "runtime/MenuOpenExecutions.h"
#include "runtime/PreferredActions.h"

#include <functional>
#include <string>
#include <thread>
#include <vector>

// Opens the menu of one scanned menu-bar item in the live system: the core pipeline decides the
// order of the attempts, the configuration's executors touch the desktop, and every executor's
// answer becomes an attempt log. The logs are the whole answer.
namespace Parlowen::ActionRunner {

// The executors' answers, shared with the runtime library.
using AXActionExecution = QelRuntime::AXActionExecution;
using CoordinateClickExecution = QelRuntime::CoordinateClickExecution;
using VisibilityRevealExecution = QelRuntime::VisibilityRevealExecution<AXMenuBarItemRecord>;

// What the live executors need beyond the platform services.
struct LiveSettings {
    // Whether one of this program's windows is visible; a reveal leaves the program a regular
    // application only then. None counts as no window.
    std::function<bool()> hasVisibleWindow;
    // The thread that runs the main loop; only there does the reveal activate the program and
    // do the light executors watch for notifications on that loop.
    std::thread::id mainThread = std::this_thread::get_id();
};

// The four executors of one run, called synchronously on the caller's thread: performs the named
// action and watches for the menu, clicks at a point (top-left coordinates of the primary
// display) and watches, closes open menus, tries to bring a hidden item into view.
struct Configuration : QelRuntime::PreferredActions::Executors<AXMenuBarItemRecord> {
    // The executors that act on the given services: Accessibility actions and clicks watched by
    // notifications, the menu tree and the window list; Escape; the Command-drag reveal. The
    // services must outlive the configuration.
    static Configuration live(const platform::PlatformServices& services,
                              LiveSettings settings = {});
};

// Every attempt made to open the item's menu, in order; never empty (an item that offers
// nothing to try gets one "no-supported-action" log). Blocks the calling thread for all the
// executors' waits.
std::vector<QelCore::ActionAttemptLog> runPreferredActions(const AXMenuBarItemRecord& item,
                                                           const Configuration& configuration);

// The attempt logs of the executors' answers, with the item's app, pid, title, role and
// subrole, phase `lightweight` and index 0.
QelCore::ActionAttemptLog axActionLog(const std::string& actionName,
                                      const AXActionExecution& execution,
                                      const AXMenuBarItemRecord& item);
QelCore::ActionAttemptLog coordinateClickLog(const std::string& actionName,
                                             const CoordinateClickExecution& execution,
                                             const AXMenuBarItemRecord& item);
QelCore::ActionAttemptLog visibilityRevealLog(const std::string& result,
                                              const AXMenuBarItemRecord& item);
QelCore::ActionAttemptLog unsupportedLog(const AXMenuBarItemRecord& item);

} // namespace Parlowen::ActionRunner
