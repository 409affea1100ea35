#include "Parlowen/QuickOpen/FavoriteMenuBarItemStore.h"

#include "Parlowen/Items/AXMenuBarItemRecord.h"
#include "Parlowen/Items/StoredMenuBarItem.h"
#include "Parlowen/Settings/StoredJSONList.h"

#include <algorithm>

namespace Parlowen {

nlohmann::ordered_json FavoriteMenuBarItem::toJson() const {
    nlohmann::ordered_json json;
    json["identity"] = StoredMenuBarItem::encode(identity);
    json["appName"] = appName;
    json["displayName"] = displayName;
    json["favoritedAt"] = StoredMenuBarItem::encode(favoritedAt);
    return json;
}

std::optional<FavoriteMenuBarItem> FavoriteMenuBarItem::fromJson(const nlohmann::json& json) {
    auto identity = StoredMenuBarItem::identityField(json, "identity");
    auto appName = StoredMenuBarItem::stringField(json, "appName");
    auto displayName = StoredMenuBarItem::stringField(json, "displayName");
    const auto favoritedAt = StoredMenuBarItem::dateField(json, "favoritedAt");
    if (!identity || !appName || !displayName || !favoritedAt) {
        return std::nullopt;
    }
    return FavoriteMenuBarItem{std::move(*identity), std::move(*appName), std::move(*displayName),
                               *favoritedAt};
}

FavoriteMenuBarItemStore::FavoriteMenuBarItemStore(std::shared_ptr<platform::UserDefaults> defaults)
    : defaults(std::move(defaults)) {}

FavoriteMenuBarItemStore& FavoriteMenuBarItemStore::shared() {
    static FavoriteMenuBarItemStore instance(platform::UserDefaults::standard());
    return instance;
}

std::vector<FavoriteMenuBarItem> FavoriteMenuBarItemStore::load() const {
    return StoredJSONList::loadEntries<FavoriteMenuBarItem>(*defaults, key);
}

std::vector<FavoriteMenuBarItem> FavoriteMenuBarItemStore::loadNewestFirst() const {
    auto entries = load();
    sortNewestFirst(entries);
    return entries;
}

void FavoriteMenuBarItemStore::sortNewestFirst(std::vector<FavoriteMenuBarItem>& entries) {
    std::stable_sort(entries.begin(), entries.end(), [](const auto& lhs, const auto& rhs) {
        return lhs.favoritedAt > rhs.favoritedAt;
    });
}

void FavoriteMenuBarItemStore::favorite(const AXMenuBarItemRecord& item, Date at) {
    const auto identity = MenuBarItemStableIdentity::of(item);
    FavoriteMenuBarItem added{identity, item.appName, StoredMenuBarItem::displayName(item), at};
    StoredJSONList::updateEntries<FavoriteMenuBarItem>(*defaults, key, [added](auto& entries) {
        std::erase_if(entries, [&](const FavoriteMenuBarItem& entry) {
            return entry.identity.namesSameItem(added.identity);
        });
        entries.push_back(added);
        sortNewestFirst(entries);
    });
}

void FavoriteMenuBarItemStore::unfavorite(const MenuBarItemStableIdentity& identity) {
    StoredJSONList::updateEntries<FavoriteMenuBarItem>(*defaults, key, [identity](auto& entries) {
        std::erase_if(entries, [&](const FavoriteMenuBarItem& entry) {
            return entry.identity.namesSameItem(identity);
        });
    });
}

bool FavoriteMenuBarItemStore::isFavorite(const MenuBarItemStableIdentity& identity) const {
    const auto entries = load();
    return std::any_of(entries.begin(), entries.end(), [&](const FavoriteMenuBarItem& entry) {
        return entry.identity.namesSameItem(identity);
    });
}

} // namespace Parlowen
