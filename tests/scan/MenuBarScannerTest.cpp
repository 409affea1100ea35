#include "Parlowen/Scanning/MenuBarScanner.h"
#include "Parlowen/Items/MenuBarItemStableIdentity.h"
#include "ScanTestSupport.h"
#include "core/StableMergeSort.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include <algorithm>
#include <map>
#include <set>

namespace {

using Parlowen::AXMenuBarItemRecord;
using Parlowen::ScanSnapshot;
using QelCore::VisibilityClassification;
using ScanTestSupport::Desktop;
using ScanTestSupport::notchedDesktopJson;

ScanSnapshot scan(Desktop& desktop, bool assist = true) {
    return Parlowen::MenuBarScanner::scan(desktop.desktop.services(), std::nullopt, assist);
}

// The desktop's name of the item behind a record, or "menu" for an application menu.
std::string itemId(const Desktop& desktop, const AXMenuBarItemRecord& record) {
    for (const auto& item : desktop.desktop.initialDescription().statusItems) {
        if (desktop.desktop.statusItemElement(item.id) == record.element) {
            return item.id;
        }
    }
    return "menu";
}

std::map<std::string, const AXMenuBarItemRecord*> recordsById(const Desktop& desktop,
                                                              const ScanSnapshot& snapshot) {
    std::map<std::string, const AXMenuBarItemRecord*> records;
    for (const auto& record : snapshot.items) {
        records[itemId(desktop, record)] = &record;
    }
    return records;
}

std::string goldenLine(const Desktop& desktop, const AXMenuBarItemRecord& record) {
    return itemId(desktop, record) + " | " + record.appName + " | " + record.title + " | " +
           QelCore::toString(record.classification) + " | " +
           (record.isStatusCandidate ? "candidate" : "-") + " | " +
           Parlowen::MenuBarItemStableIdentity::of(record).rawValue;
}

// Each sample desktop's scan, reviewed item by item and kept under golden/: classification,
// candidate status, display name and identity of every record, in the scan's order.
TEST(MenuBarScanner, SampleDesktopsGiveTheReviewedRecords) {
    for (const std::string name : {"notched-crowded", "external-plain", "dual-display"}) {
        Desktop desktop(ScanTestSupport::sampleDesktopJson(name));
        desktop.desktop.setTrusted(true); // external-plain starts untrusted
        const ScanSnapshot snapshot = scan(desktop);
        ASSERT_FALSE(snapshot.items.empty()) << name;
        std::string actual;
        for (const auto& record : snapshot.items) {
            actual += goldenLine(desktop, record) + "\n";
        }
        const std::string goldenPath = std::string(TESSALINE_SCAN_GOLDEN_DIR) + "/" + name + ".txt";
        if (std::getenv("TESSALINE_UPDATE_GOLDEN") != nullptr) {
            std::ofstream(goldenPath, std::ios::binary) << actual;
        }
        EXPECT_EQ(actual, ScanTestSupport::readFile(goldenPath)) << name;

        // Independent of the golden text: the items the layout hides behind the notch or pushes
        // past a screen edge are all listed as such.
        const auto records = recordsById(desktop, snapshot);
        const auto& description = desktop.desktop.initialDescription();
        const std::pair<const std::vector<std::string>&, VisibilityClassification> expectations[] =
            {
                {description.expectedHiddenBehindNotch,
                 VisibilityClassification::hiddenBehindNotch},
                {description.expectedPushedOffscreen, VisibilityClassification::pushedOffscreen},
            };
        for (const auto& [ids, classification] : expectations) {
            for (const auto& id : ids) {
                ASSERT_TRUE(records.contains(id)) << name << " " << id;
                EXPECT_EQ(records.at(id)->classification, classification) << name << " " << id;
                EXPECT_TRUE(records.at(id)->isStatusCandidate) << name << " " << id;
            }
        }
    }
}

TEST(MenuBarScanner, SkipsProhibitedNamelessAndOwnAppsButResolvesHelpersToParents) {
    Desktop desktop(notchedDesktopJson(
        R"([{"pid": 200, "name": "Vault", "bundleIdentifier": "com.vendor.vault",
             "activationPolicy": "prohibited"},
            {"pid": 201, "name": "Vault Agent",
             "bundleIdentifier": "com.vendor.vault.helper.agent",
             "activationPolicy": "accessory", "parentPid": 200},
            {"pid": 202, "activationPolicy": "accessory"},
            {"pid": 203, "name": "Plain", "bundleIdentifier": "com.vendor.plain",
             "activationPolicy": "accessory", "menus": ["File"]}])",
        R"([{"id": "helper", "pid": 201, "width": 30, "attributes": {"AXTitle": "Vault Agent"}},
            {"id": "prohibited", "pid": 200, "width": 30, "attributes": {"AXTitle": "Vault"}},
            {"id": "nameless", "pid": 202, "width": 30, "attributes": {"AXTitle": "Ghost"}},
            {"id": "own", "pid": 100, "width": 30, "attributes": {"AXTitle": "Tessaline"}},
            {"id": "plain", "pid": 203, "width": 30, "attributes": {"AXTitle": "Plain"}}])",
        R"(, "frontmostPid": 203)"));
    const ScanSnapshot snapshot = scan(desktop);
    const auto records = recordsById(desktop, snapshot);
    EXPECT_EQ(records.size(), 3u);
    for (const char* skipped : {"prohibited", "nameless", "own"}) {
        EXPECT_FALSE(records.contains(skipped)) << skipped;
    }
    ASSERT_TRUE(records.contains("helper"));
    const AXMenuBarItemRecord& helper = *records.at("helper");
    EXPECT_EQ(helper.appName, "Vault") << "the prohibited parent still names the owner";
    EXPECT_EQ(helper.bundleIdentifier, "com.vendor.vault");
    EXPECT_EQ(helper.pid, 201);
    EXPECT_EQ(helper.notes.back(), "ownerCanonicalizedFrom=com.vendor.vault.helper.agent");
    // One line per menu bar with children: the application menus first, then the extras.
    EXPECT_EQ(snapshot.summary, "scanStartedAt=2025-01-01T00:00:00Z\nscreenCount=1\nitemCount=3\n"
                                "Vault Agent pid=201 source=AXExtrasMenuBar children=1\n"
                                "Plain pid=203 source=AXMenuBar children=1\n"
                                "Plain pid=203 source=AXExtrasMenuBar children=1");
}

TEST(MenuBarScanner, QuirkyAttributesGiveTheirEmptyValues) {
    Desktop desktop(notchedDesktopJson(
        R"([{"pid": 200, "name": "Quirks", "bundleIdentifier": "com.vendor.quirks",
             "activationPolicy": "accessory"}])",
        R"([{"id": "missing-value", "pid": 200, "width": 30,
             "attributes": {"AXTitle": "missing value", "AXDescription": "Sync"}},
            {"id": "wrong-types", "pid": 200, "width": 30,
             "attributes": {"AXTitle": 42, "AXDescription": true, "AXRole": 7,
                            "AXSubrole": {"x": 1, "y": 2}, "AXPosition": "top",
                            "AXSize": {"x": 1, "y": 2}}},
            {"id": "no-values", "pid": 200, "width": 30, "actions": [],
             "attributes": {"AXTitle": null, "AXRole": null, "AXSubrole": "",
                            "AXPosition": null}},
            {"id": "size-as-point", "pid": 200, "width": 30,
             "attributes": {"AXTitle": "Odd", "AXPosition": {"width": 3, "height": 4}}}])"));
    struct Row {
        std::string id;
        std::string title;
        std::string role;
        std::string subrole;
        bool hasFrame;
        std::vector<std::string> notes;
    };
    const std::vector<Row> rows = {
        {"missing-value", "Sync", "AXMenuBarItem", "AXMenuExtra", true, {"source=menuExtra"}},
        {"wrong-types",
         "Quirks",
         "(unknown)",
         "(none)",
         false,
         {"source=menuExtra", "missing role", "missing AXPosition/AXSize"}},
        {"no-values",
         "Quirks",
         "(unknown)",
         "(none)",
         false,
         {"source=menuExtra", "missing role", "no advertised AX actions",
          "missing AXPosition/AXSize"}},
        {"size-as-point",
         "Odd",
         "AXMenuBarItem",
         "AXMenuExtra",
         false,
         {"source=menuExtra", "missing AXPosition/AXSize"}},
    };
    // Without the rendered-frame assist, so that the frame is Accessibility's alone.
    const ScanSnapshot snapshot = scan(desktop, false);
    const auto records = recordsById(desktop, snapshot);
    for (const Row& row : rows) {
        ASSERT_TRUE(records.contains(row.id)) << row.id;
        const AXMenuBarItemRecord& record = *records.at(row.id);
        EXPECT_EQ(record.title, row.title) << row.id;
        EXPECT_EQ(record.role, row.role) << row.id;
        EXPECT_EQ(record.subrole, row.subrole) << row.id;
        EXPECT_EQ(record.frame.has_value(), row.hasFrame) << row.id;
        EXPECT_EQ(record.notes, row.notes) << row.id;
        if (!row.hasFrame) {
            EXPECT_EQ(record.classification, VisibilityClassification::unknown) << row.id;
            EXPECT_FALSE(record.isStatusCandidate) << row.id;
            EXPECT_FALSE(record.screenID.has_value()) << row.id;
        }
    }
}

TEST(MenuBarScanner, RenderedFrameAssistFramesMenuExtrasOnly) {
    Desktop desktop(ScanTestSupport::sampleDesktopJson("notched-crowded"));
    // Tailscale reports no position; its status window still shows where it is drawn.
    const auto withAssist = scan(desktop, true);
    const auto assisted = recordsById(desktop, withAssist).at("tailscale-19");
    ASSERT_TRUE(assisted->frame.has_value());
    EXPECT_FALSE(assisted->position.has_value());
    EXPECT_EQ(assisted->classification, VisibilityClassification::hiddenBehindNotch);
    EXPECT_EQ(assisted->screenID, "Built-in Retina Display#0");
    EXPECT_EQ(assisted->notes,
              (std::vector<std::string>{"source=menuExtra", "frameSource=windowServer"}));
    for (const auto& record : withAssist.items) {
        if (record.sourceHint == QelCore::FixtureMenuBarItemSourceHint::applicationMenu) {
            EXPECT_EQ(
                std::count(record.notes.begin(), record.notes.end(), "frameSource=windowServer"), 0)
                << record.title;
        }
    }

    const auto withoutAssist = scan(desktop, false);
    const auto unassisted = recordsById(desktop, withoutAssist).at("tailscale-19");
    EXPECT_FALSE(unassisted->frame.has_value());
    EXPECT_EQ(unassisted->classification, VisibilityClassification::unknown);
    EXPECT_EQ(unassisted->notes,
              (std::vector<std::string>{"source=menuExtra", "missing AXPosition/AXSize"}));
}

TEST(MenuBarScanner, ItemsPushedOffADisplayStayWithIt) {
    // An extra display to the right of the built-in one, listed first and as tall: the items
    // pushed past the built-in display's left edge meet no screen but share both heights.
    auto description = SampleDesktops::sampleDesktop("notched-crowded");
    const nlohmann::json extra = {
        {"id", 2},
        {"name", "LG UltraFine"},
        {"frame", {{"x", 1512}, {"y", 0}, {"width", 2560}, {"height", 1440}}}};
    description["displays"].insert(description["displays"].begin(), extra);
    Desktop desktop(description.dump());
    const auto snapshot = scan(desktop);
    const auto records = recordsById(desktop, snapshot);
    const auto offscreen =
        desktop.desktop.statusItemIds(platform::sim::StatusBarLayout::Placement::pushedOffscreen);
    ASSERT_EQ(offscreen.size(), 7u);
    for (const auto& id : offscreen) {
        const AXMenuBarItemRecord& record = *records.at(id);
        EXPECT_EQ(record.screenID, "Built-in Retina Display#1") << id;
        EXPECT_EQ(record.classification, VisibilityClassification::pushedOffscreen) << id;
    }
    // Items that meet a screen keep it.
    EXPECT_EQ(records.at("clock")->screenID, "Built-in Retina Display#1");
    EXPECT_EQ(records.at("amphetamine-14")->classification,
              VisibilityClassification::hiddenBehindNotch);
}

TEST(MenuBarScanner, RescansGiveFreshIdsButTheSameIdentitiesAndOrder) {
    Desktop desktop(ScanTestSupport::sampleDesktopJson("dual-display"));
    const auto first = scan(desktop);
    const auto second = scan(desktop);
    ASSERT_EQ(first.items.size(), second.items.size());
    std::set<std::string> ids;
    for (std::size_t index = 0; index < first.items.size(); ++index) {
        EXPECT_EQ(Parlowen::MenuBarItemStableIdentity::of(first.items[index]),
                  Parlowen::MenuBarItemStableIdentity::of(second.items[index]));
        ids.insert(first.items[index].id.uuidString());
        ids.insert(second.items[index].id.uuidString());
    }
    EXPECT_EQ(ids.size(), 2 * first.items.size());
}

TEST(MenuBarScanner, OrdersCandidatesRightToLeftAndOthersByNameAndTitle) {
    const std::string apps =
        R"([{"pid": 200, "name": "Beta", "bundleIdentifier": "com.b", "activationPolicy": "accessory"},
            {"pid": 201, "name": "Alpha", "bundleIdentifier": "com.a", "activationPolicy": "accessory"},
            {"pid": 202, "name": "alpha", "bundleIdentifier": "com.c", "activationPolicy": "accessory"}])";
    const std::string items =
        R"([{"id": "b1", "pid": 200, "width": 30, "attributes": {"AXTitle": "Zed"}},
            {"id": "a1", "pid": 201, "width": 30, "attributes": {"AXTitle": "Yak"}},
            {"id": "c1", "pid": 202, "width": 30, "attributes": {"AXTitle": "Ant"}},
            {"id": "a2", "pid": 201, "width": 30, "attributes": {"AXTitle": "Ape"}}])";
    Desktop framed(notchedDesktopJson(apps, items));
    std::vector<std::string> order;
    for (const auto& record : scan(framed).items) {
        order.push_back(itemId(framed, record));
    }
    EXPECT_EQ(order, (std::vector<std::string>{"b1", "a1", "c1", "a2"})) << "right to left";

    // Once they are not candidates, names decide, byte-wise: "A" < "B" < "a".
    order.clear();
    std::vector<AXMenuBarItemRecord> records = scan(framed).items;
    for (auto& record : records) {
        record.isStatusCandidate = false;
    }
    QelCore::stableMergeSort(records, Parlowen::MenuBarScanner::comesBefore);
    for (const auto& record : records) {
        order.push_back(record.appName + "/" + record.title);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"Alpha/Ape", "Alpha/Yak", "Beta/Zed", "alpha/Ant"}));
}

TEST(MenuBarScanner, WithoutTrustReturnsTheScreensAndNoItems) {
    Desktop desktop(ScanTestSupport::sampleDesktopJson("external-plain"));
    desktop.desktop.setTrusted(false);
    const auto snapshot = scan(desktop);
    EXPECT_TRUE(snapshot.items.empty());
    EXPECT_EQ(snapshot.screens.size(), 1u);
    EXPECT_EQ(snapshot.summary, "scanStartedAt=2025-01-01T00:00:00Z\nscreenCount=1\nitemCount=0\n");
}

} // namespace
