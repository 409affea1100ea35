#include "Parlowen/QuickOpen/OverflowPanelRows.h"

#include "Parlowen/QuickOpen/FavoriteMenuBarItemStore.h"
#include "Parlowen/QuickOpen/QuickOpenListPlanner.h"
#include "Parlowen/QuickOpen/RecentMenuBarItemStore.h"

namespace Parlowen::OverflowPanelRows {

std::vector<AXMenuBarItemRecord> filtered(const std::vector<AXMenuBarItemRecord>& items,
                                          const std::vector<QelCore::ScreenSnapshot>& screens,
                                          OverflowPanelScope scope, std::string_view query,
                                          const RecentMenuBarItemStore& recents,
                                          const FavoriteMenuBarItemStore& favorites) {
    std::vector<MenuBarItemStableIdentity> recentIdentities;
    if (recents.isRecordingEnabled()) {
        for (const auto& entry : recents.loadInRecentsOrder()) {
            recentIdentities.push_back(entry.identity);
        }
    }
    std::vector<MenuBarItemStableIdentity> favoriteIdentities;
    for (const auto& entry : favorites.loadNewestFirst()) {
        favoriteIdentities.push_back(entry.identity);
    }
    std::vector<AXMenuBarItemRecord> rows;
    for (auto& section : QuickOpenListPlanner::makeSections(items, screens, scope, query,
                                                            recentIdentities, favoriteIdentities)) {
        rows.insert(rows.end(), std::make_move_iterator(section.items.begin()),
                    std::make_move_iterator(section.items.end()));
    }
    return rows;
}

} // namespace Parlowen::OverflowPanelRows
