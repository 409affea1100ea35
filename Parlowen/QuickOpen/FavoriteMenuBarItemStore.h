#pragma once

#include "Parlowen/Items/MenuBarItemStableIdentity.h"
#include "Parlowen/Items/ReferenceDate.h"
#include "platform/UserDefaults.h"

#include <nlohmann/json.hpp>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Parlowen {

struct AXMenuBarItemRecord;

// An item the user marked as a favourite.
struct FavoriteMenuBarItem {
    MenuBarItemStableIdentity identity;
    std::string appName;
    std::string displayName;
    Date favoritedAt;

    // One element of the stored array, keys in field order.
    nlohmann::ordered_json toJson() const;
    // None unless every field is present with its type.
    static std::optional<FavoriteMenuBarItem> fromJson(const nlohmann::json& json);

    friend bool operator==(const FavoriteMenuBarItem&, const FavoriteMenuBarItem&) = default;
};

// The favourites, kept as a JSON array under one key and rewritten whole on every change.
// Entries match items by stable identity, legacy version-1 keys included. Main thread only.
class FavoriteMenuBarItemStore {
public:
    static constexpr std::string_view key = "quickOpen.favoriteItems";

    explicit FavoriteMenuBarItemStore(std::shared_ptr<platform::UserDefaults> defaults);

    // The process-wide store over the standard user defaults.
    static FavoriteMenuBarItemStore& shared();

    // The stored entries in stored order; entries that cannot be read are left out.
    std::vector<FavoriteMenuBarItem> load() const;
    // The stored entries, newest first (a stable sort, so equal dates keep their stored order).
    std::vector<FavoriteMenuBarItem> loadNewestFirst() const;
    // Replaces any entry of the item with a new one under its version-2 identity, dated `at`;
    // the list is saved newest first.
    void favorite(const AXMenuBarItemRecord& item, Date at);
    // Removes every entry that matches the identity, and saves even when none did.
    void unfavorite(const MenuBarItemStableIdentity& identity);
    bool isFavorite(const MenuBarItemStableIdentity& identity) const;

private:
    static void sortNewestFirst(std::vector<FavoriteMenuBarItem>& entries);

    std::shared_ptr<platform::UserDefaults> defaults;
};

} // namespace Parlowen
