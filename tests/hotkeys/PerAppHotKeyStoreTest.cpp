#include "Parlowen/Hotkeys/PerAppHotKeyStore.h"

#include "Parlowen/Settings/StoredJSONList.h"
#include "platform/InMemoryUserDefaults.h"
#include "tests/hotkeys/HotkeyTestSupport.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using namespace Parlowen;
using namespace HotkeyTesting;
using Kind = PerAppHotKeyAssignmentResult::Kind;
using platform::DefaultsData;
using platform::InMemoryUserDefaults;

const auto dropbox =
    record("Dropbox", "Dropbox", QuickOpenTesting::VisibilityClassification::visible, std::nullopt,
           "com.getdropbox.dropbox");
const auto tailscale = record("Tailscale", "");
const auto slack = record("Slack", "Slack");

DefaultsData bytes(std::string_view text) {
    return DefaultsData(text.begin(), text.end());
}

struct Stores {
    std::shared_ptr<InMemoryUserDefaults> defaults = std::make_shared<InMemoryUserDefaults>();
    PerAppHotKeyStore store{defaults};

    std::string stored(std::string_view key = PerAppHotKeyStore::key) const {
        const auto data = defaults->dataForKey(key);
        return data ? std::string(data->begin(), data->end()) : "<none>";
    }
};

TEST(PerAppHotKeyStore, WritesTheExactStoredLayout) {
    Stores stores;
    const auto result = stores.store.assign(dropbox, 40, 0x1100, at(786000000.5));
    ASSERT_EQ(result.kind, Kind::saved);
    EXPECT_EQ(stores.stored(),
              R"([{"identity":{"rawValue":"v2|com.getdropbox.dropbox|menuExtra|dropbox|dropbox|)"
              R"(AXMenuBarItem|AXMenuExtra"},"appName":"Dropbox","displayName":"Dropbox",)"
              R"("shortcut":{"keyCode":40,"modifierFlags":4352},"assignedAt":786000000.5}])");
    EXPECT_EQ(stores.store.load(), std::vector{*result.binding});
    EXPECT_EQ(result.binding->assignedAt, at(786000000.5));
}

TEST(PerAppHotKeyStore, LegacyKeyMatchesTheItemButNotItsExactKey) {
    Stores stores;
    const auto legacy = *MenuBarItemStableIdentity::of(dropbox).legacyV1Equivalent();
    stores.defaults->set(PerAppHotKeyStore::key,
                         bytes(R"([{"identity":{"rawValue":")" + legacy.rawValue +
                               R"("},"appName":"Dropbox","displayName":"Dropbox",)"
                               R"("shortcut":{"keyCode":2,"modifierFlags":256},"assignedAt":5}])"));
    const auto found = stores.store.binding(dropbox);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->identity, legacy);
    EXPECT_FALSE(stores.store.binding(MenuBarItemStableIdentity::of(dropbox)).has_value());
    EXPECT_TRUE(stores.store.binding(legacy).has_value());

    // Its own chord is no conflict for the item; a new chord replaces the legacy entry.
    EXPECT_FALSE(stores.store.conflict({2, 256}, dropbox).has_value());
    ASSERT_EQ(stores.store.assign(dropbox, 3, 256, at(6)).kind, Kind::saved);
    const auto all = stores.store.load();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].identity, MenuBarItemStableIdentity::of(dropbox));
    EXPECT_EQ(all[0].shortcut, (PerAppHotKeyShortcut{3, 256}));
}

// The stored list is another writer's: its own key order and spacing, a date with a fraction
// and an entry this version cannot read between the others. A conflict leaves it byte for
// byte.
TEST(PerAppHotKeyStore, ConflictLeavesEverythingWhileReplaceMovesTheChord) {
    Stores stores;
    const auto identity = [](const AXMenuBarItemRecord& item) {
        return MenuBarItemStableIdentity::of(item).rawValue;
    };
    const std::string before =
        R"([ {"assignedAt": 786000000.25, "shortcut": {"modifierFlags": 256, "keyCode": 40},)"
        R"( "displayName": "Dropbox", "appName": "Dropbox", "identity": {"rawValue": ")" +
        identity(dropbox) +
        R"("}},)"
        R"( {"identity": {"rawValue": "v2|x"}, "shortcut": "newer"},)"
        R"( {"identity": {"rawValue": ")" +
        identity(slack) +
        R"("}, "appName": "Slack", "displayName": "Slack",)"
        R"( "shortcut": {"keyCode": 1, "modifierFlags": 256}, "assignedAt": 11} ])";
    stores.defaults->set(PerAppHotKeyStore::key, bytes(before));

    const auto conflict = stores.store.assign(tailscale, 40, 0x100, at(20));
    ASSERT_EQ(conflict.kind, Kind::conflict);
    EXPECT_EQ(conflict.binding->identity, MenuBarItemStableIdentity::of(dropbox));
    EXPECT_EQ(stores.stored(), before);
    EXPECT_EQ(stores.store.conflict({40, 0x100}, tailscale), conflict.binding);

    const auto replaced = stores.store.assignReplacingShortcut(tailscale, 40, 0x100, at(20));
    ASSERT_EQ(replaced.kind, Kind::saved);
    const auto all = stores.store.load();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].identity, MenuBarItemStableIdentity::of(tailscale));
    EXPECT_EQ(all[0].displayName, "Tailscale");
    EXPECT_EQ(all[1].identity, MenuBarItemStableIdentity::of(slack));
    EXPECT_FALSE(stores.store.binding(dropbox).has_value());
}

TEST(PerAppHotKeyStore, ChordsWithoutAModifierAreRefusedAndChangeNothing) {
    Stores stores;
    ASSERT_EQ(stores.store.assign(dropbox, 40, 0x100, at(10)).kind, Kind::saved);
    const auto before = stores.stored();
    // 0x400 is Caps Lock: no modifier of a chord either.
    for (const std::uint32_t flags : {0u, 0x400u, 0x1u}) {
        EXPECT_EQ(stores.store.assign(slack, 1, flags, at(20)).kind, Kind::invalidShortcut);
        EXPECT_EQ(stores.store.assignReplacingShortcut(slack, 1, flags, at(20)).kind,
                  Kind::invalidShortcut);
    }
    EXPECT_EQ(stores.stored(), before);
}

TEST(PerAppHotKeyStore, NewestFirstWithEqualDatesInStoredOrder) {
    Stores stores;
    stores.store.assign(dropbox, 1, 0x100, at(10));
    stores.store.assign(slack, 2, 0x100, at(10));
    stores.store.assign(tailscale, 3, 0x100, at(5));
    const auto first = stores.store.bindings();
    ASSERT_EQ(first.size(), 3u);
    stores.store.assign(record("Zoom", "Zoom"), 4, 0x100, at(20));
    const auto all = stores.store.bindings();
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[0].appName, "Zoom");
    EXPECT_EQ(all[1].appName, first[0].appName);
    EXPECT_EQ(all[2].appName, first[1].appName);
    EXPECT_EQ(all[3].appName, "Tailscale");
    EXPECT_EQ(stores.store.load(), all);

    // Re-assigning the item's own chord renews its date and keeps one binding.
    ASSERT_EQ(stores.store.assign(tailscale, 3, 0x100, at(30)).kind, Kind::saved);
    EXPECT_EQ(stores.store.bindings().size(), 4u);
    EXPECT_EQ(stores.store.bindings()[0].appName, "Tailscale");
}

TEST(PerAppHotKeyStore, RemovesExactIdentitiesOnly) {
    Stores stores;
    stores.store.assign(dropbox, 1, 0x100, at(10));
    stores.store.assign(slack, 2, 0x100, at(11));
    stores.store.assign(tailscale, 3, 0x100, at(12));
    stores.store.remove(*MenuBarItemStableIdentity::of(slack).legacyV1Equivalent());
    EXPECT_EQ(stores.store.load().size(), 3u);
    stores.store.remove(std::vector<MenuBarItemStableIdentity>{});
    EXPECT_EQ(stores.store.load().size(), 3u);
    stores.store.remove(
        {MenuBarItemStableIdentity::of(slack), MenuBarItemStableIdentity::of(dropbox)});
    const auto all = stores.store.load();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].appName, "Tailscale");
}

TEST(PerAppHotKeyStore, AnUnreadableEntryIsDroppedAlone) {
    Stores stores;
    stores.defaults->set(
        PerAppHotKeyStore::key,
        bytes(R"([{"identity":{"rawValue":"v1|menuExtra|a|a|AXMenuBarItem|AXMenuExtra"},)"
              R"("appName":"A","shortcut":{"keyCode":1,"modifierFlags":256},"assignedAt":1},)"
              R"({"identity":{"rawValue":"v1|menuExtra|b|b|AXMenuBarItem|AXMenuExtra"},)"
              R"("appName":"B","displayName":"B","shortcut":{"keyCode":-1,"modifierFlags":256},)"
              R"("assignedAt":2},)"
              R"({"identity":{"rawValue":"v1|menuExtra|c|c|AXMenuBarItem|AXMenuExtra"},)"
              R"("appName":"C","displayName":"C","shortcut":{"keyCode":7,"modifierFlags":4096},)"
              R"("assignedAt":3},)"
              R"("not an object"])"));
    const auto all = stores.store.load();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].appName, "C");
    EXPECT_EQ(all[0].shortcut, (PerAppHotKeyShortcut{7, 4096}));
}

// A removal writes the list even when it drops nothing: an absent list becomes an empty one,
// another writer's layout is rewritten, and an unreadable value is kept under the backup key
// once and replaced.
TEST(PerAppHotKeyStore, RemoveWritesTheListEvenWhenNothingIsDropped) {
    const std::string slackBinding =
        R"({"identity":{"rawValue":")" + MenuBarItemStableIdentity::of(slack).rawValue +
        R"("},"appName":"Slack","displayName":"Slack",)"
        R"("shortcut":{"keyCode":1,"modifierFlags":256},"assignedAt":11})";
    const struct {
        const char* name;
        std::optional<std::string> stored;
        std::string written;
        std::string backup;
    } rows[] = {
        {"nothing stored", std::nullopt, "[]", "<none>"},
        {"another layout", "[ " + slackBinding + " ]", "[" + slackBinding + "]", "<none>"},
        {"no list", R"({"not":"a list"})", "[]", R"({"not":"a list"})"},
        {"not JSON", "[{", "[]", "[{"},
    };
    for (const auto& row : rows) {
        Stores stores;
        if (row.stored) {
            stores.defaults->set(PerAppHotKeyStore::key, bytes(*row.stored));
        }
        for (int removal = 0; removal < 2; ++removal) {
            stores.store.remove(MenuBarItemStableIdentity::of(dropbox));
            EXPECT_EQ(stores.stored(), row.written) << row.name;
            EXPECT_EQ(stores.stored(StoredJSONList::backupKey(PerAppHotKeyStore::key)), row.backup)
                << row.name;
        }
        EXPECT_EQ(stores.stored(StoredJSONList::backupKey(PerAppHotKeyStore::key, 2)), "<none>")
            << row.name;
    }
}

TEST(PerAppHotKeyStore, AValueThatIsNoListIsKeptBeforeTheNextSave) {
    Stores stores;
    stores.defaults->set(PerAppHotKeyStore::key, bytes(R"({"not":"a list"})"));
    EXPECT_TRUE(stores.store.load().empty());
    EXPECT_FALSE(stores.store.binding(dropbox).has_value());
    ASSERT_EQ(stores.store.assign(dropbox, 1, 0x100, at(1)).kind, Kind::saved);
    EXPECT_EQ(stores.stored(StoredJSONList::backupKey(PerAppHotKeyStore::key)),
              R"({"not":"a list"})");
    EXPECT_EQ(stores.store.load().size(), 1u);
}

} // namespace
