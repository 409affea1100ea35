#include "Parlowen/QuickOpen/RecentMenuBarItemStore.h"

#include "Parlowen/Items/AXMenuBarItemRecord.h"
#include "Parlowen/Items/StoredMenuBarItem.h"
#include "Parlowen/Settings/StoredJSONList.h"

#include <algorithm>

namespace Parlowen {

nlohmann::ordered_json RecentMenuBarItem::toJson() const {
    nlohmann::ordered_json json;
    json["identity"] = StoredMenuBarItem::encode(identity);
    json["appName"] = appName;
    json["displayName"] = displayName;
    json["outcome"] = QelCore::toString(outcome);
    json["lastOpenedAt"] = StoredMenuBarItem::encode(lastOpenedAt);
    return json;
}

std::optional<RecentMenuBarItem> RecentMenuBarItem::fromJson(const nlohmann::json& json) {
    auto identity = StoredMenuBarItem::identityField(json, "identity");
    auto appName = StoredMenuBarItem::stringField(json, "appName");
    auto displayName = StoredMenuBarItem::stringField(json, "displayName");
    const auto outcomeText = StoredMenuBarItem::stringField(json, "outcome");
    const auto outcome =
        outcomeText ? QelCore::fromString<QuickOpenActionOutcome>(*outcomeText) : std::nullopt;
    const auto lastOpenedAt = StoredMenuBarItem::dateField(json, "lastOpenedAt");
    if (!identity || !appName || !displayName || !outcome || !lastOpenedAt) {
        return std::nullopt;
    }
    return RecentMenuBarItem{std::move(*identity), std::move(*appName), std::move(*displayName),
                             *outcome, *lastOpenedAt};
}

RecentMenuBarItemStore::RecentMenuBarItemStore(std::shared_ptr<platform::UserDefaults> defaults)
    : defaults(std::move(defaults)) {}

RecentMenuBarItemStore& RecentMenuBarItemStore::shared() {
    static RecentMenuBarItemStore instance(platform::UserDefaults::standard());
    return instance;
}

std::vector<RecentMenuBarItem> RecentMenuBarItemStore::load() const {
    return StoredJSONList::loadEntries<RecentMenuBarItem>(*defaults, key);
}

void RecentMenuBarItemStore::record(const AXMenuBarItemRecord& item, QuickOpenActionOutcome outcome,
                                    Date at) {
    if (!isRecordingEnabled() || outcomeRank(outcome) == 0) {
        return;
    }
    const auto identity = MenuBarItemStableIdentity::of(item);
    RecentMenuBarItem added{identity, item.appName, StoredMenuBarItem::displayName(item), outcome,
                            at};
    StoredJSONList::updateEntries<RecentMenuBarItem>(*defaults, key, [added](auto& entries) {
        std::erase_if(entries, [&](const RecentMenuBarItem& entry) {
            return entry.identity.namesSameItem(added.identity);
        });
        entries.push_back(added);
        sortInRecentsOrder(entries);
        if (entries.size() > maxItems) {
            entries.resize(maxItems);
        }
    });
}

std::vector<RecentMenuBarItem> RecentMenuBarItemStore::loadInRecentsOrder() const {
    auto entries = load();
    sortInRecentsOrder(entries);
    return entries;
}

void RecentMenuBarItemStore::sortInRecentsOrder(std::vector<RecentMenuBarItem>& entries) {
    std::stable_sort(entries.begin(), entries.end(), [](const auto& lhs, const auto& rhs) {
        const int lhsRank = outcomeRank(lhs.outcome);
        const int rhsRank = outcomeRank(rhs.outcome);
        if (lhsRank != rhsRank) {
            return lhsRank > rhsRank;
        }
        return lhs.lastOpenedAt > rhs.lastOpenedAt;
    });
}

bool RecentMenuBarItemStore::isRecordingEnabled() const {
    return !defaults->objectForKey(enabledKey) || defaults->boolForKey(enabledKey);
}

void RecentMenuBarItemStore::setRecordingEnabled(bool enabled) {
    defaults->set(enabledKey, enabled);
}

int RecentMenuBarItemStore::outcomeRank(QuickOpenActionOutcome outcome) {
    switch (outcome) {
    case QuickOpenActionOutcome::observedOpen:
        return 2;
    case QuickOpenActionOutcome::actionSent:
        return 1;
    case QuickOpenActionOutcome::opening:
    case QuickOpenActionOutcome::failed:
        return 0;
    }
    return 0;
}

} // namespace Parlowen
