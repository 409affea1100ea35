#pragma once

#include "Parlowen/Items/AXMenuBarItemRecord.h"
#include "Parlowen/Settings/OverflowPanelScope.h"
#include "core/ScreenSnapshot.h"

#include <string_view>
#include <vector>

namespace Parlowen {

class FavoriteMenuBarItemStore;
class RecentMenuBarItemStore;

// The panel's rows: the planner's sections for the stored favourites and recents, laid end to
// end. Main thread only (it reads the stores).
namespace OverflowPanelRows {

// Recents take part only while recording is on; the store keeps its entries either way.
std::vector<AXMenuBarItemRecord> filtered(const std::vector<AXMenuBarItemRecord>& items,
                                          const std::vector<QelCore::ScreenSnapshot>& screens,
                                          OverflowPanelScope scope, std::string_view query,
                                          const RecentMenuBarItemStore& recents,
                                          const FavoriteMenuBarItemStore& favorites);

} // namespace OverflowPanelRows

} // namespace Parlowen
