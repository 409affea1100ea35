#pragma once

#include "Parlowen/Items/MenuBarItemStableIdentity.h"
#include "Parlowen/Items/ReferenceDate.h"
#include "Parlowen/Opening/QuickOpenActionOutcome.h"
#include "platform/UserDefaults.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Parlowen {

struct AXMenuBarItemRecord;

// An item recently opened with success.
struct RecentMenuBarItem {
    MenuBarItemStableIdentity identity;
    std::string appName;
    std::string displayName;
    QuickOpenActionOutcome outcome = QuickOpenActionOutcome::actionSent;
    Date lastOpenedAt;

    // One element of the stored array, keys in field order.
    nlohmann::ordered_json toJson() const;
    // None unless every field is present with its type and the outcome is a known case.
    static std::optional<RecentMenuBarItem> fromJson(const nlohmann::json& json);

    friend bool operator==(const RecentMenuBarItem&, const RecentMenuBarItem&) = default;
};

// The recently opened items, kept as a JSON array under one key and rewritten whole on every
// change: best outcome first, then newest first, at most `maxItems`. Main thread only.
class RecentMenuBarItemStore {
public:
    static constexpr std::string_view key = "quickOpen.recentItems";
    static constexpr std::string_view enabledKey = "quickOpen.recentItems.enabled";
    static constexpr std::size_t maxItems = 10;

    explicit RecentMenuBarItemStore(std::shared_ptr<platform::UserDefaults> defaults);

    // The process-wide store over the standard user defaults.
    static RecentMenuBarItemStore& shared();

    // The stored entries in stored order; entries that cannot be read are left out.
    std::vector<RecentMenuBarItem> load() const;
    // The stored entries in the recents order: best outcome first, then newest first.
    std::vector<RecentMenuBarItem> loadInRecentsOrder() const;
    // Records an open that reached the item (`actionSent` or `observedOpen`) while recording is
    // on; any other outcome, or recording switched off, changes nothing.
    void record(const AXMenuBarItemRecord& item, QuickOpenActionOutcome outcome, Date at);

    // True when the switch is absent.
    bool isRecordingEnabled() const;
    void setRecordingEnabled(bool enabled);

    // Higher ranks sort first: observed opens, then sent actions, then the rest.
    static int outcomeRank(QuickOpenActionOutcome outcome);

private:
    static void sortInRecentsOrder(std::vector<RecentMenuBarItem>& entries);

    std::shared_ptr<platform::UserDefaults> defaults;
};

} // namespace Parlowen
