#include "Parlowen/QuickOpen/OverflowPanelViewState.h"
#include "Parlowen/QuickOpen/FavoriteMenuBarItemStore.h"
#include "Parlowen/QuickOpen/OverflowPanelCopy.h"
#include "Parlowen/QuickOpen/OverflowPanelHeader.h"
#include "Parlowen/QuickOpen/OverflowPanelRows.h"
#include "Parlowen/QuickOpen/OverflowPanelVisualPreview.h"
#include "Parlowen/QuickOpen/QuickAccessHintFormatter.h"
#include "Parlowen/QuickOpen/QuickOpenListPlanner.h"
#include "Parlowen/QuickOpen/RecentMenuBarItemStore.h"
#include "Parlowen/Settings/StoredJSONList.h"
#include "RecordBuilder.h"
#include "platform/InMemoryUserDefaults.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using namespace Parlowen;
using namespace QuickOpenTesting;
using enum OverflowPanelContentState;
using enum OverflowPanelAvailability;
using Shortcut = QuickAccessModifierShortcut;

TEST(OverflowPanelViewState, ContentAndTitleFollowTheInputs) {
    const struct {
        const char* name;
        OverflowPanelViewInputs inputs;
        OverflowPanelContentState content;
        const char* title;
    } cases[] = {
        {"missing permission wins over rows",
         {3, 5, "", needsAccessibility},
         missingPermission,
         "Accessibility access needed"},
        {"missing permission wins over a search",
         {0, 0, "drop", needsAccessibility},
         missingPermission,
         "Accessibility access needed"},
        {"missing permission wins over all clear",
         {0, 0, "", needsAccessibility},
         missingPermission,
         "Accessibility access needed"},
        {"hidden rows", {3, 3, "", available}, rows, "3 hidden icons"},
        {"one hidden row", {1, 1, "", available}, rows, "1 hidden icon"},
        {"listed apps without hidden ones", {0, 5, "", available}, rows, "Quick Open"},
        {"search with results", {2, 1, "drop", available}, rows, "Quick Open"},
        {"hidden items and a search without match",
         {2, 0, "zzz", available},
         searchEmpty,
         "Quick Open"},
        {"nothing at all", {0, 0, "", available}, allClear, "No hidden icons"},
        {"a query of spaces counts as none",
         {0, 0, " \t\n ", available},
         allClear,
         "No hidden icons"},
        {"hidden count without rows", {2, 0, "   ", available}, allClear, "2 hidden icons"},
    };
    for (const auto& row : cases) {
        const auto state = OverflowPanelViewState::make(row.inputs);
        EXPECT_EQ(state.content, row.content) << row.name;
        EXPECT_EQ(state.header.title, row.title) << row.name;
        EXPECT_EQ(state.empty.has_value(), row.content != rows) << row.name;
    }
}

TEST(OverflowPanelViewState, EmptyStatesCarryTheirSymbolTextsAndAction) {
    const auto permission = OverflowPanelViewState::make({0, 0, "", needsAccessibility});
    ASSERT_TRUE(permission.empty);
    EXPECT_EQ(permission.empty->symbolName, "person.crop.circle.badge.exclamationmark");
    EXPECT_EQ(permission.empty->title, "Accessibility access needed");
    EXPECT_EQ(permission.empty->actionTitle, "Open Accessibility Settings...");

    const auto search = OverflowPanelViewState::make({4, 0, "x", available});
    ASSERT_TRUE(search.empty);
    EXPECT_EQ(search.empty->symbolName, "magnifyingglass");
    EXPECT_EQ(search.empty->title, "No matching menu bar apps");
    EXPECT_EQ(search.empty->actionTitle, std::nullopt);

    const auto clear = OverflowPanelViewState::make({0, 0, "", available});
    ASSERT_TRUE(clear.empty);
    EXPECT_EQ(clear.empty->symbolName, "checkmark.circle");
    EXPECT_EQ(clear.empty->title, "No hidden icons right now.");
    EXPECT_EQ(clear.empty->actionTitle, std::nullopt);
}

TEST(OverflowPanelViewState, FooterHintFollowsTheShortcutInEveryState) {
    for (const auto availability : {needsAccessibility, available}) {
        EXPECT_EQ(OverflowPanelViewState::make({0, 0, "", availability, Shortcut::option})
                      .footer.quickAccessHint,
                  "Press \u2325 + \u2325 to open anytime");
        EXPECT_EQ(OverflowPanelViewState::make({0, 2, "", availability, Shortcut::none})
                      .footer.quickAccessHint,
                  "Open Tessaline again to bring this panel back");
    }
}

TEST(QuickAccessHintFormatter, HintsAndInstructionsPerShortcut) {
    const struct {
        Shortcut shortcut;
        const char* hint;
        const char* instruction;
    } rows[] = {
        {Shortcut::shift, "Press \u21E7 + \u21E7 to open anytime",
         "Press both Shift keys together"},
        {Shortcut::option, "Press \u2325 + \u2325 to open anytime",
         "Press both Option keys together"},
        {Shortcut::command, "Press \u2318 + \u2318 to open anytime",
         "Press both Command keys together"},
        {Shortcut::none, "Open Tessaline again to bring this panel back",
         "No quick access shortcut"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(QuickAccessHintFormatter::hint(row.shortcut), row.hint) << row.hint;
        EXPECT_EQ(QuickAccessHintFormatter::instruction(row.shortcut), row.instruction)
            << row.instruction;
    }
}

Date secondsAfter(Date start, double seconds) {
    return start +
           std::chrono::duration_cast<platform::Duration>(std::chrono::duration<double>(seconds));
}

TEST(OverflowPanelCopy, ScanAgeRoundsDownToWholeSeconds) {
    const Date scannedAt = *ReferenceDate::fromSecondsSinceReferenceDate(800'000'000);
    const std::pair<double, const char*> rows[] = {
        {-30, "updated just now"},  {0, "updated just now"}, {4.9, "updated just now"},
        {5, "updated 5s ago"},      {59, "updated 59s ago"}, {59.99, "updated 59s ago"},
        {60, "updated 1m ago"},     {119, "updated 1m ago"}, {120, "updated 2m ago"},
        {7200, "updated 120m ago"},
    };
    for (const auto& [age, text] : rows) {
        EXPECT_EQ(OverflowPanelCopy::scanAge(scannedAt, secondsAfter(scannedAt, age)), text) << age;
    }
}

TEST(OverflowPanelCopy, TitleByHiddenCount) {
    EXPECT_EQ(OverflowPanelCopy::title(0), "No hidden icons");
    EXPECT_EQ(OverflowPanelCopy::title(1), "1 hidden icon");
    EXPECT_EQ(OverflowPanelCopy::title(12), "12 hidden icons");
}

TEST(OverflowPanelCopy, RowSubtitleParts) {
    auto hidden = record("Dropbox", "Dropbox", VisibilityClassification::hiddenBehindNotch);
    hidden.notes = {"source=menuExtra", "frameSource=statusWindow"};
    auto sample = hidden;
    sample.notes.push_back("subtitle:Sync status");
    auto unknown = record("Clock", "", VisibilityClassification::unknown);
    unknown.notes = {"source="};
    const std::optional<std::string> shortcut = "\u2303\u2325D";
    const struct {
        const char* name;
        const AXMenuBarItemRecord& item;
        bool diagnostics;
        bool favorite;
        std::optional<std::string> shortcut;
        const char* expected;
    } rows[] = {
        {"plain", hidden, false, false, std::nullopt, "Hidden behind notch"},
        {"favourite with a shortcut", hidden, false, true, shortcut,
         "Hidden behind notch \u00B7 Favorite \u00B7 Shortcut \u2303\u2325D"},
        {"diagnostics", hidden, true, false, std::nullopt,
         "Hidden behind notch \u00B7 Debug: hiddenBehindNotch \u00B7 menuExtra \u00B7 "
         "statusWindow"},
        {"empty diagnostics are dropped", unknown, true, false, std::nullopt,
         "Menu bar item \u00B7 Debug: unknown"},
        {"a subtitle note stands alone", sample, true, true, shortcut, "Sync status"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(
            OverflowPanelCopy::rowSubtitle(row.item, row.diagnostics, row.favorite, row.shortcut),
            row.expected)
            << row.name;
    }
}

TEST(OverflowPanelCopy, RowTitleAndReason) {
    EXPECT_EQ(OverflowPanelCopy::rowTitle(record("Clock", "(untitled)")), "Clock");
    EXPECT_EQ(OverflowPanelCopy::rowTitle(record("Clock", "")), "Clock");
    EXPECT_EQ(OverflowPanelCopy::rowTitle(record("Clock", "Time")), "Time");
    EXPECT_EQ(OverflowPanelCopy::reason(VisibilityClassification::pushedOffscreen), "Pushed left");
    EXPECT_EQ(OverflowPanelCopy::reason(VisibilityClassification::unknown), std::nullopt);
}

TEST(OverflowPanelHeader, SubtitleFirstMatchWins) {
    const Date now = *ReferenceDate::fromSecondsSinceReferenceDate(800'000'000);
    const auto earlier = secondsAfter(now, -10);
    const struct {
        const char* name;
        OverflowPanelHeader::SubtitleInputs inputs;
        const char* expected;
    } rows[] = {
        {"no access",
         {needsAccessibility, false, 2, true, earlier, now},
         "Grant access to search and open menu bar apps"},
        {"hidden items", {available, false, 2, false, earlier, now}, "updated 10s ago"},
        {"empty list", {available, true, 0, false, earlier, now}, "updated 10s ago"},
        {"a search", {available, false, 0, true, earlier, now}, "updated 10s ago"},
        {"no scan yet", {available, true, 0, false, std::nullopt, now}, "Waiting for first scan"},
        {"apps listed, nothing hidden",
         {available, false, 0, false, earlier, now},
         "Search menu bar apps or choose one below"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(OverflowPanelHeader::subtitle(row.inputs), row.expected) << row.name;
    }
}

TEST(OverflowPanelHeader, ScopeControlVisibility) {
    using enum OverflowPanelScope;
    const struct {
        const char* name;
        OverflowPanelAvailability availability;
        bool allRightSideEmpty;
        bool searching;
        OverflowPanelScope stored;
        bool visible;
    } rows[] = {
        {"apps to list", available, false, false, allRightSide, true},
        {"a search over nothing", available, true, true, allRightSide, true},
        {"nothing to switch", available, true, false, allRightSide, false},
        {"no access", needsAccessibility, false, true, allRightSide, false},
        {"scope fixed to hidden", available, false, true, hiddenOnly, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(OverflowPanelHeader::showsScopeControl(row.availability, row.allRightSideEmpty,
                                                         row.searching, row.stored),
                  row.visible)
            << row.name;
    }
}

// Two visible apps over throwaway stores, and the app names of the panel's rows for them.
struct PanelRows {
    std::shared_ptr<platform::InMemoryUserDefaults> defaults =
        std::make_shared<platform::InMemoryUserDefaults>();
    RecentMenuBarItemStore recents{defaults};
    FavoriteMenuBarItemStore favorites{defaults};
    std::vector<AXMenuBarItemRecord> items;

    PanelRows(const char* right, const char* left)
        : items{record(right, "", VisibilityClassification::visible, frameCentredAt(1200)),
                record(left, "", VisibilityClassification::visible, frameCentredAt(1100))} {}

    std::vector<std::string> names() const {
        std::vector<std::string> result;
        for (const auto& item : OverflowPanelRows::filtered(
                 items, {}, OverflowPanelScope::allRightSide, "", recents, favorites)) {
            result.push_back(item.appName);
        }
        return result;
    }
};

TEST(OverflowPanelRows, RecentsFormNoSectionWhileRecordingIsOff) {
    PanelRows rows("Zeta", "Alpha");
    rows.recents.record(rows.items[0], QuickOpenActionOutcome::observedOpen, Date{});
    // Recent first, then the apps by name.
    EXPECT_EQ(rows.names(), (std::vector<std::string>{"Zeta", "Alpha"}));
    rows.recents.setRecordingEnabled(false);
    EXPECT_EQ(rows.names(), (std::vector<std::string>{"Alpha", "Zeta"}));
    EXPECT_EQ(rows.recents.load().size(), 1u);
}

TEST(OverflowPanelRows, FavouritesComeNewestFirstWhateverTheStoredOrder) {
    PanelRows rows("Old", "New");
    // Stored oldest first, as another writer might have left them.
    const auto entry = [](const AXMenuBarItemRecord& item, double seconds) {
        return FavoriteMenuBarItem{MenuBarItemStableIdentity::of(item), item.appName, item.appName,
                                   *ReferenceDate::fromSecondsSinceReferenceDate(seconds)};
    };
    StoredJSONList::updateEntries<FavoriteMenuBarItem>(
        *rows.defaults, FavoriteMenuBarItemStore::key, [&](auto& entries) {
            entries = {entry(rows.items[0], 1), entry(rows.items[1], 2)};
        });
    EXPECT_EQ(rows.names(), (std::vector<std::string>{"New", "Old"}));
}

} // namespace

namespace {

using namespace Parlowen;

std::vector<std::string> sectionLines(bool hiddenItems, OverflowPanelScope scope,
                                      std::string_view query) {
    const auto snapshot = OverflowPanelVisualPreviewData::makeVisualPreviewSnapshot(hiddenItems);
    std::vector<std::string> lines;
    for (const auto& section : QuickOpenListPlanner::makeSections(snapshot.items, snapshot.screens,
                                                                  scope, query, {}, {})) {
        std::string line = section.title + ":";
        for (const auto& item : section.items) {
            line += " " + item.appName;
        }
        lines.push_back(line);
    }
    return lines;
}

TEST(OverflowPanelVisualPreviewData, SampleScansListAsTheScenesExpect) {
    using enum OverflowPanelScope;
    EXPECT_EQ(sectionLines(true, hiddenOnly, ""),
              (std::vector<std::string>{"Hidden now: Tailscale 1Password Dropbox"}));
    EXPECT_EQ(sectionLines(true, allRightSide, "drop"),
              (std::vector<std::string>{"Results: Dropbox"}));
    EXPECT_EQ(sectionLines(false, allRightSide, "").size(), 1u);
    const auto hidden = OverflowPanelVisualPreviewData::makeVisualPreviewSnapshot(true);
    EXPECT_EQ(QuickOpenListPlanner::displayableHiddenCount(hidden.items, hidden.screens), 3);
    EXPECT_EQ(OverflowPanelCopy::rowSubtitle(hidden.items[0], true, true, "x"), "VPN status");
}

} // namespace
