#pragma once

#include "Parlowen/Items/AXMenuBarItemRecord.h"
#include "Parlowen/Items/MenuBarItemStableIdentity.h"
#include "Parlowen/Opening/ActionRunner.h"
#include "core/ScreenSnapshot.h"
#include "platform/PlatformServices.h"
#include "runtime/MenuOpenExecutions.h"

#include <optional>
#include <unordered_set>
#include <vector>

// The live reveal of an item hidden behind the notch or pushed off screen: in up to three
// passes, Command-drag the nearest visible status item to its right past it, rescan the menu bar
// after every drag and find the item again by its stable identity. Blocks the calling thread for
// the drags, the sleeps and the scans (a little under two seconds and three scans a pass).
namespace Parlowen::LiveVisibilityReveal {

// A drag, and the version-2 identity of the neighbour it moves.
using NeighborDisplacementPlan = QelRuntime::NeighborDisplacementPlan<MenuBarItemStableIdentity>;

// Brings the program to the front (on the main thread only), reveals, and sets the previous
// activation policy back unless one of the program's windows is visible.
ActionRunner::VisibilityRevealExecution
revealLiveObstructedItemForCoordinateClick(const platform::PlatformServices& services,
                                           const ActionRunner::LiveSettings& settings,
                                           const AXMenuBarItemRecord& item);

// The passes: scan, find the item, plan, drag to the HID tap, recheck, drag again to the
// session tap, recheck.
ActionRunner::VisibilityRevealExecution
displaceVisibleNeighborsToReveal(const platform::PlatformServices& services,
                                 const AXMenuBarItemRecord& item);

// The first plan of the status candidates other than the target and those excluded, taken by
// the left edge of their frames (frameless ones last, ties in scan order).
std::optional<NeighborDisplacementPlan> firstVisibleNeighborDisplacementPlan(
    const AXMenuBarItemRecord& target, const std::vector<AXMenuBarItemRecord>& candidates,
    const std::vector<QelCore::ScreenSnapshot>& screens,
    const std::unordered_set<MenuBarItemStableIdentity>& excluding);

// Whether two records name one item: equal version-2 identities, or one equal to the other's
// legacy form.
bool recordsMatch(const AXMenuBarItemRecord& a, const AXMenuBarItemRecord& b);

} // namespace Parlowen::LiveVisibilityReveal
