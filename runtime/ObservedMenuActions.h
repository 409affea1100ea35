#pragma once

#include "core/AXChildrenSnapshotNode.h"
#include "core/AXMenuOpenObservation.h"
#include "core/ScreenSnapshot.h"
#include "platform/PlatformServices.h"
#include "runtime/MenuOpenExecutions.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// The live light executors of the action runner: an Accessibility action or a left click, each
// watched by an Accessibility observation, the item's menu tree and the window list, and the
// Escape press that closes open menus. They block the calling thread for their fixed waits.
//
// `callerLoop` is the loop of the calling thread: the observation is added to it and the wait
// runs it, so its notifications, and only its tasks, run during the wait. Without one (a thread
// that runs no loop known here) no observation is started, the menu tree and the window list
// stay the witnesses, and no task of another thread's loop ever runs on the caller.
namespace QelRuntime::ObservedMenuActions {

// What the executors read of the item: its process, its element, the names the window-list
// comparison looks for, and where it is (top-left coordinates), so that only a menu under it
// counts.
struct ObservedItem {
    pid_t pid;
    const platform::AXUIElement& element;
    const std::string& appName;
    const std::string& title;
    std::optional<platform::CGPoint> position;
    std::optional<platform::CGSize> size;

    template <typename Record> static ObservedItem of(const Record& record) {
        return {record.pid,   record.element,  record.appName,
                record.title, record.position, record.size};
    }
};

// Screens, window list, the item's menu tree, observation, the action, the evidence waits, the
// window list again and the detector's verdict. Evidence counts only for the item acted on: a
// notification about it or its menu, a menu in its own tree, a new window of its application
// that lies under it.
AXActionExecution executeObservedAXAction(const platform::PlatformServices& services,
                                          const std::string& actionName, const ObservedItem& item,
                                          platform::RunLoop* callerLoop);
template <typename Record>
AXActionExecution executeObservedAXAction(const platform::PlatformServices& services,
                                          const std::string& actionName, const Record& item,
                                          platform::RunLoop* callerLoop) {
    return executeObservedAXAction(services, actionName, ObservedItem::of(item), callerLoop);
}

// As the Accessibility action, with a left click at `point` (top-left coordinates) in place of
// the action; a click that cannot be posted is answered at once, without waiting.
CoordinateClickExecution executeObservedCoordinateClick(const platform::PlatformServices& services,
                                                        platform::CGPoint point,
                                                        const ObservedItem& item,
                                                        platform::RunLoop* callerLoop);
template <typename Record>
CoordinateClickExecution executeObservedCoordinateClick(const platform::PlatformServices& services,
                                                        platform::CGPoint point, const Record& item,
                                                        platform::RunLoop* callerLoop) {
    return executeObservedCoordinateClick(services, point, ObservedItem::of(item), callerLoop);
}

// Posts a left mouse down and, 50 ms later, up at `point` to the HID tap. False, posting
// nothing, when an event cannot be created or the point lies on none of `screens` (a click
// there would land elsewhere on the screen).
bool postCoordinateClick(platform::Events& events, platform::Clock& clock, platform::CGPoint point,
                         const std::vector<QelCore::ScreenSnapshot>& screens);

// Waits up to 350 ms (25 ms slices) for the observation's first notification, then up to
// 450 ms (75 ms polls) for a new menu in the element's tree. None when neither was seen.
std::optional<QelCore::MenuOpenEvidenceSource>
observedMenuEvidenceSource(platform::Accessibility& accessibility, platform::Clock& clock,
                           QelCore::AXMenuOpenObservation* observation,
                           const platform::AXUIElement& element,
                           const std::vector<QelCore::AXChildrenSnapshotNode>& axChildrenBefore);

// Presses and releases Escape (key code 53) on the HID tap, then sleeps 220 ms, whether or not
// the events could be made.
void dismissOpenMenus(platform::Events& events, platform::Clock& clock);

} // namespace QelRuntime::ObservedMenuActions
