#pragma once

#include "Parlowen/Items/AXMenuBarItemRecord.h"
#include "Parlowen/Items/MenuBarItemStableIdentity.h"
#include "Parlowen/QuickOpen/QuickOpenSection.h"
#include "Parlowen/Settings/OverflowPanelScope.h"
#include "core/ScreenSnapshot.h"

#include <cstdint>
#include <string_view>
#include <vector>

// Turns the items of one scan into the rows of the Quick Open panel: which records can be listed,
// one row per item, the browsing sections of an empty search or the ranked results of a search.
// Pure functions of their arguments, callable from any thread at once.
namespace Parlowen::QuickOpenListPlanner {

// The sections for `scope` and the search text as typed. `recentIdentities` come in the recents'
// order, `favoriteIdentities` newest first. `screens` are not consulted: every decision uses
// each record's classification and frame as the scan delivered them.
std::vector<QuickOpenSection>
makeSections(const std::vector<AXMenuBarItemRecord>& items,
             const std::vector<QelCore::ScreenSnapshot>& screens, OverflowPanelScope scope,
             std::string_view query, const std::vector<MenuBarItemStableIdentity>& recentIdentities,
             const std::vector<MenuBarItemStableIdentity>& favoriteIdentities);

// The number of hidden items the panel lists: hidden status candidates after the system-entry
// filter and one row per item; favourites, recents and the panel's scope play no part.
std::int64_t displayableHiddenCount(const std::vector<AXMenuBarItemRecord>& items,
                                    const std::vector<QelCore::ScreenSnapshot>& screens);

} // namespace Parlowen::QuickOpenListPlanner
