#pragma once

#include "core/FixtureMenuBarItem.h"
#include "core/MenuBarScanFixture.h"
#include "core/ScreenSnapshot.h"

#include <vector>

// Decides which menu-bar items are status items worth listing: the items other applications put
// into the right side of the bar, as opposed to the frontmost application's menus.
namespace QelCore::StatusItemCandidateFilter {

// Whether the item is a status item on `screen`. Items without a usable frame (null, empty or
// with a non-finite component) never are.
bool isCandidate(const FixtureMenuBarItem& item, const ScreenSnapshot& screen);

// Whether a frame of an item of the system's own menu-bar owners lies where overflowing status
// items go: right of the notch (or of the centre), past a screen edge, or behind the notch.
// A frame with a non-finite component is not.
bool isOverflowRelevantFrame(const CGRect& frame, const ScreenSnapshot& screen);

// The fixture's candidates, in the fixture's order.
std::vector<FixtureMenuBarItem> candidates(const MenuBarScanFixture& fixture);

} // namespace QelCore::StatusItemCandidateFilter
