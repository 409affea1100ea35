#include "Parlowen/QuickOpen/FavoriteMenuBarItemStore.h"
#include "Parlowen/QuickOpen/RecentMenuBarItemStore.h"
#include "Parlowen/Settings/StoredJSONList.h"
#include "RecordBuilder.h"
#include "platform/InMemoryUserDefaults.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using namespace Parlowen;
using namespace QuickOpenTesting;
using platform::DefaultsData;
using platform::DefaultsValue;
using platform::InMemoryUserDefaults;

// Seconds after 1 January 2001.
Date at(double seconds) {
    return *ReferenceDate::fromSecondsSinceReferenceDate(seconds);
}

DefaultsData bytes(std::string_view text) {
    return DefaultsData(text.begin(), text.end());
}

std::string storedText(const InMemoryUserDefaults& defaults, std::string_view key) {
    const auto data = defaults.dataForKey(key);
    return data ? std::string(data->begin(), data->end()) : "<none>";
}

const auto dropbox = record("Dropbox", "Dropbox", VisibilityClassification::visible, std::nullopt,
                            "com.getdropbox.dropbox");
const auto tailscale = record("Tailscale", "", VisibilityClassification::visible);

struct Stores {
    std::shared_ptr<InMemoryUserDefaults> defaults = std::make_shared<InMemoryUserDefaults>();
    FavoriteMenuBarItemStore favorites{defaults};
    RecentMenuBarItemStore recents{defaults};
};

TEST(MenuBarItemStores, WriteTheExactStoredLayout) {
    Stores stores;
    stores.favorites.favorite(dropbox, at(786000000.5));
    EXPECT_EQ(storedText(*stores.defaults, "quickOpen.favoriteItems"),
              R"([{"identity":{"rawValue":"v2|com.getdropbox.dropbox|menuExtra|dropbox|dropbox|)"
              R"(AXMenuBarItem|AXMenuExtra"},"appName":"Dropbox","displayName":"Dropbox",)"
              R"("favoritedAt":786000000.5}])");

    auto slashed = record("A|B", "Up/Down");
    stores.recents.record(slashed, QuickOpenActionOutcome::observedOpen, at(786000000));
    EXPECT_EQ(storedText(*stores.defaults, "quickOpen.recentItems"),
              R"([{"identity":{"rawValue":"v2|-|menuExtra|a\/b|up\/down|AXMenuBarItem|)"
              R"(AXMenuExtra"},"appName":"A|B","displayName":"Up\/Down","outcome":"observedOpen",)"
              R"("lastOpenedAt":786000000}])");

    const auto favorites = stores.favorites.load();
    ASSERT_EQ(favorites.size(), 1u);
    EXPECT_EQ(favorites[0].identity, MenuBarItemStableIdentity::of(dropbox));
    EXPECT_EQ(favorites[0].favoritedAt, at(786000000.5));
    const auto recents = stores.recents.load();
    ASSERT_EQ(recents.size(), 1u);
    EXPECT_EQ(recents[0].appName, "A|B");
    EXPECT_EQ(recents[0].outcome, QuickOpenActionOutcome::observedOpen);
}

// A stored date keeps its value, fractions to the microsecond included, through a read and
// through a save of the list.
TEST(MenuBarItemStores, DatesReadAndWriteBackUnchanged) {
    for (const std::string seconds : {"760007100.25", "760007100.123456", "786000000.000001",
                                      "999999999.999999", "-1.5", "786000000.25"}) {
        Stores stores;
        stores.defaults->set("quickOpen.favoriteItems",
                             bytes(R"([{"identity":{"rawValue":"v2|-|menuExtra|a|a|r|s"},)"
                                   R"("appName":"A","displayName":"A","favoritedAt":)" +
                                   seconds + "}]"));
        const auto favorites = stores.favorites.load();
        ASSERT_EQ(favorites.size(), 1u) << seconds;
        EXPECT_EQ(ReferenceDate::secondsSinceReferenceDate(favorites[0].favoritedAt),
                  std::stod(seconds))
            << seconds;

        stores.favorites.favorite(dropbox, at(2e9));
        const auto text = storedText(*stores.defaults, "quickOpen.favoriteItems");
        EXPECT_TRUE(text.ends_with(R"("favoritedAt":)" + seconds + "}]")) << text;
    }
}

TEST(FavoriteMenuBarItemStore, MatchesLegacyKeysAndKeepsOneEntryPerItem) {
    Stores stores;
    const auto legacy = *MenuBarItemStableIdentity::of(dropbox).legacyV1Equivalent();
    stores.defaults->set(
        "quickOpen.favoriteItems",
        bytes(
            R"([{"identity":{"rawValue":")" + legacy.rawValue +
            R"("},"appName":"Dropbox","displayName":"Dropbox","favoritedAt":1},)"
            R"({"identity":{"rawValue":"v2|-|menuExtra|tailscale|tailscale|AXMenuBarItem|)"
            R"(AXMenuExtra"},"appName":"Tailscale","displayName":"Tailscale","favoritedAt":5}])"));
    EXPECT_TRUE(stores.favorites.isFavorite(MenuBarItemStableIdentity::of(dropbox)));

    stores.favorites.favorite(dropbox, at(10));
    auto favorites = stores.favorites.load();
    ASSERT_EQ(favorites.size(), 2u);
    EXPECT_EQ(favorites[0].identity, MenuBarItemStableIdentity::of(dropbox));
    EXPECT_EQ(favorites[1].appName, "Tailscale");

    // Favouriting again moves the item to the front with the new date.
    stores.favorites.favorite(tailscale, at(20));
    favorites = stores.favorites.load();
    ASSERT_EQ(favorites.size(), 2u);
    EXPECT_EQ(favorites[0].appName, "Tailscale");
    EXPECT_EQ(favorites[0].favoritedAt, at(20));

    // A version-1 identity in the item's place finds the version-2 entry.
    stores.favorites.unfavorite(legacy);
    EXPECT_FALSE(stores.favorites.isFavorite(MenuBarItemStableIdentity::of(dropbox)));
    const std::string before = storedText(*stores.defaults, "quickOpen.favoriteItems");
    stores.favorites.unfavorite(MenuBarItemStableIdentity{"v2|-|menuExtra|nothing|x|r|s"});
    EXPECT_EQ(storedText(*stores.defaults, "quickOpen.favoriteItems"), before);
}

TEST(RecentMenuBarItemStore, RanksByOutcomeThenDateAndKeepsTen) {
    Stores stores;
    const double day = 86400;
    stores.recents.record(record("Week"), QuickOpenActionOutcome::observedOpen, at(10 * day));
    stores.recents.record(record("Yesterday"), QuickOpenActionOutcome::actionSent, at(16 * day));
    stores.recents.record(record("Failed"), QuickOpenActionOutcome::failed, at(17 * day));
    stores.recents.record(record("Opening"), QuickOpenActionOutcome::opening, at(17 * day));
    auto recents = stores.recents.load();
    ASSERT_EQ(recents.size(), 2u);
    EXPECT_EQ(recents[0].appName, "Week");
    EXPECT_EQ(recents[1].appName, "Yesterday");

    // Nine newer observed opens; the eleventh entry to arrive pushes out the one sorting last.
    for (int index = 0; index < 9; ++index) {
        stores.recents.record(record("App " + std::to_string(index)),
                              QuickOpenActionOutcome::observedOpen, at(20 * day + index));
    }
    recents = stores.recents.load();
    ASSERT_EQ(recents.size(), 10u);
    EXPECT_EQ(recents[0].appName, "App 8");
    EXPECT_EQ(recents[9].appName, "Week");

    // Recording the same item again replaces its entry.
    stores.recents.record(record("Week"), QuickOpenActionOutcome::observedOpen, at(30 * day));
    recents = stores.recents.load();
    ASSERT_EQ(recents.size(), 10u);
    EXPECT_EQ(recents[0].appName, "Week");
    EXPECT_EQ(recents[9].appName, "App 0");
}

TEST(RecentMenuBarItemStore, RecordingSwitch) {
    Stores stores;
    EXPECT_TRUE(stores.recents.isRecordingEnabled());
    stores.recents.record(dropbox, QuickOpenActionOutcome::actionSent, at(1));
    const std::string before = storedText(*stores.defaults, "quickOpen.recentItems");

    stores.recents.setRecordingEnabled(false);
    EXPECT_EQ(stores.defaults->objectForKey("quickOpen.recentItems.enabled"), DefaultsValue(false));
    stores.recents.record(tailscale, QuickOpenActionOutcome::observedOpen, at(2));
    EXPECT_EQ(storedText(*stores.defaults, "quickOpen.recentItems"), before);

    stores.recents.setRecordingEnabled(true);
    stores.recents.record(tailscale, QuickOpenActionOutcome::observedOpen, at(2));
    EXPECT_EQ(stores.recents.load().size(), 2u);
}

TEST(MenuBarItemStores, DropOnlyTheEntriesThatCannotBeRead) {
    const std::string good =
        R"({"identity":{"rawValue":"v2|-|menuExtra|good|good|r|s"},"appName":"Good",)"
        R"("displayName":"Good","outcome":"actionSent","favoritedAt":3,"lastOpenedAt":3})";
    const struct {
        const char* name;
        std::string element;
    } rows[] = {
        {"missing app name", R"({"identity":{"rawValue":"k"},"displayName":"x","outcome":)"
                             R"("actionSent","favoritedAt":1,"lastOpenedAt":1})"},
        {"identity as text", R"({"identity":"k","appName":"a","displayName":"x","outcome":)"
                             R"("actionSent","favoritedAt":1,"lastOpenedAt":1})"},
        {"date as text", R"({"identity":{"rawValue":"k"},"appName":"a","displayName":"x",)"
                         R"("outcome":"actionSent","favoritedAt":"now","lastOpenedAt":"now"})"},
        {"date out of range",
         R"({"identity":{"rawValue":"k"},"appName":"a","displayName":"x",)"
         R"("outcome":"actionSent","favoritedAt":1e300,"lastOpenedAt":1e300})"},
        {"not an object", R"(42)"},
        {"null", R"(null)"},
    };
    for (const auto& row : rows) {
        Stores stores;
        const DefaultsData stored = bytes("[" + row.element + "," + good + "]");
        stores.defaults->set("quickOpen.favoriteItems", stored);
        stores.defaults->set("quickOpen.recentItems", stored);
        const auto favorites = stores.favorites.load();
        ASSERT_EQ(favorites.size(), 1u) << row.name;
        EXPECT_EQ(favorites[0].appName, "Good") << row.name;
        const auto recents = stores.recents.load();
        ASSERT_EQ(recents.size(), 1u) << row.name;
        EXPECT_EQ(recents[0].appName, "Good") << row.name;

        stores.favorites.favorite(dropbox, at(5));
        EXPECT_EQ(stores.favorites.load().size(), 2u) << row.name;
    }
}

TEST(MenuBarItemStores, UnreadableListIsKeptBeforeTheFirstSave) {
    const struct {
        const char* name;
        DefaultsValue stored;
    } rows[] = {
        {"not json", bytes("[{\"identity\":")},
        {"an object", bytes(R"({"items":[]})")},
        {"text instead of data", std::string("[]")},
        {"a number", std::int64_t{7}},
    };
    const std::string favorites(FavoriteMenuBarItemStore::key);
    for (const auto& row : rows) {
        Stores stores;
        stores.defaults->set("quickOpen.recentItems", row.stored);
        EXPECT_TRUE(stores.recents.load().empty()) << row.name;
        stores.recents.record(dropbox, QuickOpenActionOutcome::observedOpen, at(1));
        EXPECT_EQ(stores.recents.load().size(), 1u) << row.name;
        EXPECT_EQ(stores.defaults->objectForKey(StoredJSONList::backupKey("quickOpen.recentItems")),
                  row.stored)
            << row.name;

        // Removing a favourite that is not there saves the empty list too, so the value is
        // kept aside once.
        stores.defaults->set(favorites, row.stored);
        for (int removal = 0; removal < 2; ++removal) {
            stores.favorites.unfavorite(MenuBarItemStableIdentity::of(dropbox));
            EXPECT_EQ(storedText(*stores.defaults, favorites), "[]") << row.name;
        }
        EXPECT_EQ(stores.defaults->objectForKey(StoredJSONList::backupKey(favorites)), row.stored)
            << row.name;
        EXPECT_EQ(stores.defaults->objectForKey(StoredJSONList::backupKey(favorites, 2)),
                  std::nullopt)
            << row.name;
    }
    // A readable list needs no copy, and a removal from no list at all stores an empty one.
    Stores stores;
    stores.favorites.unfavorite(MenuBarItemStableIdentity::of(dropbox));
    EXPECT_EQ(storedText(*stores.defaults, favorites), "[]");
    stores.favorites.favorite(dropbox, at(1));
    stores.favorites.favorite(tailscale, at(2));
    EXPECT_EQ(stores.defaults->objectForKey("quickOpen.favoriteItems.unreadable"), std::nullopt);
}

// An entry of a newer version (an outcome this one does not know) is not shown, but no save
// drops it: it stays in the stored list, byte for byte, after the entries that decode.
TEST(MenuBarItemStores, EntriesThatCannotBeReadSurviveSaves) {
    const std::string newer =
        R"({"identity":{"rawValue":"v2|-|menuExtra|new|new|r|s"},"appName":"New",)"
        R"("displayName":"New","outcome":"openedBySpell", "lastOpenedAt":7,"extra":[1,{}]})";
    Stores stores;
    stores.defaults->set("quickOpen.recentItems", bytes("[" + newer + "]"));
    EXPECT_TRUE(stores.recents.load().empty());

    for (int index = 0; index < 12; ++index) {
        stores.recents.record(record("App " + std::to_string(index)),
                              QuickOpenActionOutcome::observedOpen, at(index));
    }
    EXPECT_EQ(stores.recents.load().size(), RecentMenuBarItemStore::maxItems);
    const auto text = storedText(*stores.defaults, "quickOpen.recentItems");
    EXPECT_TRUE(text.ends_with("," + newer + "]")) << text;
}

// Every unreadable value gets a backup key of its own; the same value is kept only once.
TEST(MenuBarItemStores, BackupsOfUnreadableValuesDoNotOverwriteEachOther) {
    Stores stores;
    const std::string key(FavoriteMenuBarItemStore::key);
    const DefaultsValue first = bytes("{first"), second = std::string("second");
    stores.defaults->set(key, first);
    stores.favorites.favorite(dropbox, at(1));
    stores.defaults->set(key, second);
    stores.favorites.favorite(dropbox, at(2));
    stores.defaults->set(key, first);
    stores.favorites.favorite(dropbox, at(3));

    EXPECT_EQ(stores.defaults->objectForKey(StoredJSONList::backupKey(key)), first);
    EXPECT_EQ(stores.defaults->objectForKey(key + ".unreadable-2"), second);
    EXPECT_EQ(stores.defaults->objectForKey(key + ".unreadable-3"), std::nullopt);
    EXPECT_EQ(stores.favorites.load().size(), 1u);
}

} // namespace
