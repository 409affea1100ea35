#include "Parlowen/Items/MenuBarItemStableIdentity.h"
#include "Parlowen/Items/AXMenuBarItemRecord.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using Parlowen::MenuBarItemStableIdentity;
using QelCore::FixtureMenuBarItemSourceHint;

struct KeyRow {
    std::string name;
    std::optional<std::string> bundleIdentifier;
    std::string appName;
    std::string title;
    std::string role;
    std::string subrole;
    FixtureMenuBarItemSourceHint source;
    std::string expected;
};

TEST(StableIdentity, VersionTwoKeysNormalizeTheirFields) {
    using enum FixtureMenuBarItemSourceHint;
    const std::vector<KeyRow> rows = {
        {"no bundle id, empty subrole", std::nullopt, "Dropbox", "Dropbox", "AXMenuBarItem", "",
         menuExtra, "v2|-|menuExtra|dropbox|dropbox|AXMenuBarItem|-"},
        {"blank bundle id and role", "  \t", "Arq", "Backup", " ", "AXMenuExtra", statusItem,
         "v2|-|statusItem|arq|backup|-|AXMenuExtra"},
        {"app name trimmed, lowered, collapsed", "com.Vendor.App", "  My \t  Great\nApp  ",
         "Status", "AXMenuBarItem", "AXMenuExtra", menuExtra,
         "v2|com.Vendor.App|menuExtra|my great app|status|AXMenuBarItem|AXMenuExtra"},
        {"bars become slashes in every field", "com.a|b", "A|B", "Up|Down", "AX|Role", "Sub|Role",
         applicationMenu, "v2|com.a/b|applicationMenu|a/b|up/down|AX/Role|Sub/Role"},
        {"accents lower-cased, kept", "fr.cafe", "Café ÉCLAIR", "ÉTÉ", "AXMenuBarItem", "", unknown,
         "v2|fr.cafe|unknown|café éclair|été|AXMenuBarItem|-"},
        {"full-width letters lower-cased, kept", std::nullopt, "ＡＢＣ", "Ｗｉｆｉ",
         "AXMenuBarItem", "AXMenuExtra", menuExtra,
         "v2|-|menuExtra|ａｂｃ|ｗｉｆｉ|AXMenuBarItem|AXMenuExtra"},
        {"unicode white space collapsed", std::nullopt, "Time\u00A0\u2003Machine",
         "\u3000Back\t\u2003up\u3000", "AXMenuBarItem", "", menuExtra,
         "v2|-|menuExtra|time machine|back up|AXMenuBarItem|-"},
        {"German sharp s lowered fully", std::nullopt, "STRASSE", "Straße", "r", "s", menuExtra,
         "v2|-|menuExtra|strasse|straße|r|s"},
        {"missing title takes the app name", std::nullopt, "Dropbox", "missing value", "r", "s",
         menuExtra, "v2|-|menuExtra|dropbox|dropbox|r|s"},
        {"case of bundle id, role, subrole kept", "COM.X", "x", "t", "AXMENUBARITEM", "axmenuextra",
         menuExtra, "v2|COM.X|menuExtra|x|t|AXMENUBARITEM|axmenuextra"},
    };
    for (const auto& row : rows) {
        const auto key = MenuBarItemStableIdentity::makeV2(
            row.bundleIdentifier, row.appName, row.title, row.role, row.subrole, row.source);
        EXPECT_EQ(key.rawValue, row.expected) << row.name;
        const auto legacy = MenuBarItemStableIdentity::makeV1(row.appName, row.title, row.role,
                                                              row.subrole, row.source);
        EXPECT_EQ(key.legacyV1Equivalent(), legacy) << row.name;
        EXPECT_EQ(legacy.version(), "v1") << row.name;
    }
}

TEST(StableIdentity, ItemsDifferingOnlyInFoldedFieldsShareAKey) {
    using enum FixtureMenuBarItemSourceHint;
    const auto base = MenuBarItemStableIdentity::makeV2("com.x", "Acme App", "Sync Status",
                                                        "AXMenuBarItem", "AXMenuExtra", menuExtra);
    EXPECT_EQ(MenuBarItemStableIdentity::makeV2("com.x", " acme   APP ", "SYNC\tstatus",
                                                "AXMenuBarItem", "AXMenuExtra", menuExtra),
              base);
    const std::vector<std::pair<std::string, MenuBarItemStableIdentity>> different = {
        {"bundle id case",
         MenuBarItemStableIdentity::makeV2("com.X", "Acme App", "Sync Status", "AXMenuBarItem",
                                           "AXMenuExtra", menuExtra)},
        {"role case", MenuBarItemStableIdentity::makeV2("com.x", "Acme App", "Sync Status",
                                                        "axmenubaritem", "AXMenuExtra", menuExtra)},
        {"subrole case",
         MenuBarItemStableIdentity::makeV2("com.x", "Acme App", "Sync Status", "AXMenuBarItem",
                                           "AXMENUEXTRA", menuExtra)},
        {"source", MenuBarItemStableIdentity::makeV2("com.x", "Acme App", "Sync Status",
                                                     "AXMenuBarItem", "AXMenuExtra", statusItem)},
    };
    for (const auto& [name, key] : different) {
        EXPECT_NE(key, base) << name;
    }
}

TEST(StableIdentity, VersionAndLegacyEquivalentOfArbitraryKeys) {
    struct Row {
        std::string name;
        std::string key;
        std::string version;
        std::optional<std::string> legacy;
    };
    const std::vector<Row> rows = {
        {"version 2", "v2|b|menuExtra|a|t|r|s", "v2", "v1|menuExtra|a|t|r|s"},
        {"version 2 with empty fields", "v2||||||", "v2", "v1|||||"},
        {"six fields", "v2|b|menuExtra|a|t|r", "v2", std::nullopt},
        {"eight fields", "v2|b|menuExtra|a|t|r|s|x", "v2", std::nullopt},
        {"version 1", "v1|menuExtra|a|t|r|s", "v1", std::nullopt},
        {"seven fields, not v2", "v3|b|menuExtra|a|t|r|s", "v3", std::nullopt},
        {"no bar", "favourite", "favourite", std::nullopt},
        {"empty", "", "unknown", std::nullopt},
        {"leading bar", "|v2|x", "v2", std::nullopt},
        {"only bars", "||", "unknown", std::nullopt},
    };
    for (const auto& row : rows) {
        const MenuBarItemStableIdentity key{row.key};
        EXPECT_EQ(key.version(), row.version) << row.name;
        const auto legacy = key.legacyV1Equivalent();
        EXPECT_EQ(legacy ? std::optional(legacy->rawValue) : std::nullopt, row.legacy) << row.name;
    }
}

TEST(StableIdentity, StoredKeysOfEitherVersionMatchTheItem) {
    using enum FixtureMenuBarItemSourceHint;
    Parlowen::AXMenuBarItemRecord record;
    record.appName = "Dropbox";
    record.bundleIdentifier = "com.getdropbox.dropbox";
    record.title = "Dropbox";
    record.role = "AXMenuBarItem";
    record.subrole = "AXMenuExtra";
    record.sourceHint = menuExtra;
    const auto v2 = MenuBarItemStableIdentity::makeV2(
        record.bundleIdentifier, "DROPBOX", " dropbox", "AXMenuBarItem", "AXMenuExtra", menuExtra);
    const auto v1 = MenuBarItemStableIdentity::makeV1("Dropbox", "Dropbox", "AXMenuBarItem",
                                                      "AXMenuExtra", menuExtra);
    const std::vector<std::pair<std::string, MenuBarItemStableIdentity>> matching = {
        {"stored v2", v2}, {"stored legacy v1", v1}};
    for (const auto& [name, stored] : matching) {
        EXPECT_TRUE(stored.matches(record)) << name;
        EXPECT_TRUE(stored.matches(MenuBarItemStableIdentity::of(record))) << name;
    }
    const std::vector<std::pair<std::string, MenuBarItemStableIdentity>> other = {
        {"other bundle id",
         MenuBarItemStableIdentity::makeV2("com.other", "Dropbox", "Dropbox", "AXMenuBarItem",
                                           "AXMenuExtra", menuExtra)},
        {"v1 of another source",
         MenuBarItemStableIdentity::makeV1("Dropbox", "Dropbox", "AXMenuBarItem", "AXMenuExtra",
                                           statusItem)},
        {"empty", MenuBarItemStableIdentity{}},
    };
    for (const auto& [name, stored] : other) {
        EXPECT_FALSE(stored.matches(record)) << name;
    }
    EXPECT_FALSE(v2.matches(v1)) << "a v2 stored key does not name a v1 item key";
}

TEST(StableIdentity, JsonFormRoundTripsAndRejectsBadShapes) {
    const MenuBarItemStableIdentity key{"v2|-|menuExtra|a|t|r|s"};
    EXPECT_EQ(key.toJson().dump(), R"({"rawValue":"v2|-|menuExtra|a|t|r|s"})");
    EXPECT_EQ(MenuBarItemStableIdentity::fromJson(key.toJson()), key);
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"missing member", R"({"raw":"x"})"}, {"number", R"({"rawValue":3})"},
        {"null", R"({"rawValue":null})"},     {"bare string", R"("v2|x")"},
        {"array", R"([{"rawValue":"x"}])"},
    };
    for (const auto& [name, text] : bad) {
        EXPECT_FALSE(MenuBarItemStableIdentity::fromJson(nlohmann::json::parse(text)).has_value())
            << name;
    }
}

} // namespace
