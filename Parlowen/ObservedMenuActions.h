#pragma once

#include "Parlowen/AXMenuBarItemRecord.h"
#include "Parlowen/ActionRunner.h"
#include "core/AXChildrenSnapshotNode.h"
#include "core/AXMenuOpenObservation.h"
#include "core/ScreenSnapshot.h"
#include "platform/PlatformServices.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// The live light executors of the action runner: an Accessibility action or a left click, each
// watched by an Accessibility observation, the item's menu tree and the window list, and the
// Escape press that closes open menus. They block the calling thread, which must run the main
// loop of the services, for their fixed waits.
namespace Parlowen::ObservedMenuActions {

// Screens, window list, menu tree, observation, the action, the evidence waits, the window list
// again and the detector's verdict.
ActionRunner::AXActionExecution executeObservedAXAction(const platform::PlatformServices& services,
                                                        const std::string& actionName,
                                                        const AXMenuBarItemRecord& item);

// As the Accessibility action, with a left click at `point` (top-left coordinates) in place of
// the action; a click that cannot be posted is answered at once, without waiting.
ActionRunner::CoordinateClickExecution
executeObservedCoordinateClick(const platform::PlatformServices& services, platform::CGPoint point,
                               const AXMenuBarItemRecord& item);

// Posts a left mouse down and, 50 ms later, up at `point` to the HID tap. False, posting
// nothing, when an event cannot be created or the point lies on none of `screens` (a click
// there would land elsewhere on the screen).
bool postCoordinateClick(platform::Events& events, platform::Clock& clock, platform::CGPoint point,
                         const std::vector<QelCore::ScreenSnapshot>& screens);

// Waits up to 350 ms (25 ms slices) for the observation's first notification, then up to
// 450 ms (75 ms polls) for a new menu in the process's menu tree. None when neither was seen.
std::optional<QelCore::MenuOpenEvidenceSource>
observedMenuEvidenceSource(platform::Accessibility& accessibility, platform::Clock& clock,
                           QelCore::AXMenuOpenObservation* observation, pid_t pid,
                           const std::vector<QelCore::AXChildrenSnapshotNode>& axChildrenBefore);

// Presses and releases Escape (key code 53) on the HID tap, then sleeps 220 ms, whether or not
// the events could be made.
void dismissOpenMenus(platform::Events& events, platform::Clock& clock);

} // namespace Parlowen::ObservedMenuActions
