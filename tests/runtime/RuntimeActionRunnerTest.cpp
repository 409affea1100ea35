#include "runtime/RuntimeActionRunner.h"
#include "runtime/RuntimeItemIdentity.h"

#include "tests/runtime/RuntimeTestSupport.h"
#include "tests/support/AttemptSteps.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace {

using QelCore::FixtureMenuBarItemSourceHint;
using QelCore::MenuOpenEvidenceSource;
using QelCore::MenuOpenPipelinePhase;
using QelCore::VisibilityClassification;
using QelRuntime::RuntimeAXMenuBarItemRecord;
using QelRuntime::RuntimeItemIdentity;
using RuntimeTestSupport::Desktop;
using RuntimeTestSupport::sampleDesktop;
using RuntimeTestSupport::statusItem;
using std::chrono::milliseconds;

using AttemptSteps::describe;
using AttemptSteps::Step;
using AttemptSteps::steps;

RuntimeAXMenuBarItemRecord makeRecord(std::optional<std::string> bundleIdentifier,
                                      FixtureMenuBarItemSourceHint source, std::string appName,
                                      std::string title) {
    return {std::move(appName),
            42,
            std::move(title),
            "AXMenuBarItem",
            "(none)",
            std::nullopt,
            std::nullopt,
            std::nullopt,
            {},
            source,
            VisibilityClassification::visible,
            false,
            std::nullopt,
            platform::AXUIElement(42, 9),
            {"source=" + QelCore::toString(source)},
            std::move(bundleIdentifier)};
}

struct RunRow {
    std::string name;
    std::string itemId;
    std::function<void(nlohmann::json&)> edit;
    std::function<void(Desktop&)> prepare;
    std::vector<Step> expected;
    // At most this much virtual time passes.
    platform::Duration budget;
};

TEST(RuntimeActionRunner, OpensItemsOfTheSampleDesktop) {
    using enum MenuOpenEvidenceSource;
    using enum MenuOpenPipelinePhase;
    const auto sample = [](nlohmann::json&) {};
    const auto nothing = [](Desktop&) {};
    const RunRow rows[] = {
        {"press observed by notification",
         "clock",
         sample,
         nothing,
         {{"AXPress", "observed-open", 0, axMenuOpened, lightweight}},
         milliseconds(100)},
        {"hidden item opens on a click once it is moved into view",
         "amphetamine-14",
         [](nlohmann::json& description) {
             auto& item = statusItem(description, "amphetamine-14");
             item["actions"] = nlohmann::json::array();
             item["menu"]["opensOn"] = {"click"};
         },
         nothing,
         {{"CoordinateClick", "posted-unconfirmed", 0, none, lightweight},
          {"CoordinateClickRetry", "posted-unconfirmed", 0, none, lightweight},
          {"VisibilityReveal", "neighbor-displacement-moved-into-view", 0, none, visibilityReveal},
          {"CoordinateClick", "observed-open", 0, axChildrenDiff, postReveal}},
         milliseconds(8000)},
        {"an off-screen item is not stood for by its visible twin",
         "mail-34",
         sample,
         nothing,
         {{"AXPress", "success", 0, none, lightweight},
          {"AXShowMenu", "success", 0, none, lightweight},
          {"CoordinateClick", "failure", -25200, none, lightweight},
          {"VisibilityReveal", "move-posted-unconfirmed", 0, none, visibilityReveal}},
         milliseconds(8000)},
        {"click events that cannot be made are not waited on",
         "zoom-5",
         [](nlohmann::json& description) {
             statusItem(description, "zoom-5")["actions"] = nlohmann::json::array();
         },
         [](Desktop& desktop) {
             desktop.desktop.failNext(platform::sim::EventFailure::eventCreation, 2);
         },
         {{"CoordinateClick", "failure", -25200, none, lightweight}},
         milliseconds(0)},
    };
    for (const auto& row : rows) {
        auto description = sampleDesktop();
        row.edit(description);
        Desktop desktop(description);
        const auto item = desktop.record(row.itemId);
        ASSERT_TRUE(item) << row.name;
        const auto policyBefore = desktop.desktop.workspace().activationPolicy();
        row.prepare(desktop);
        desktop.desktop.clearRecord();
        const auto start = desktop.clock.now();

        const auto logs =
            QelRuntime::RuntimeActionRunner::runPreferredActions(desktop.services(), *item);
        EXPECT_EQ(steps(logs), row.expected) << row.name << "\n" << describe(steps(logs));
        EXPECT_LE(desktop.elapsed(start), row.budget) << row.name;
        if (row.expected.back().result == "observed-open") {
            EXPECT_TRUE(desktop.desktop.isMenuOpen(row.itemId)) << row.name;
        }
        EXPECT_FALSE(desktop.desktop.isMenuOpen("mail-2")) << row.name;
        // The library leaves the host's activation alone, also when it reveals.
        EXPECT_TRUE(desktop.desktop.record().activationCalls.empty()) << row.name;
        EXPECT_EQ(desktop.desktop.workspace().activationPolicy(), policyBefore) << row.name;
    }
}

TEST(RuntimeActionRunner, NothingToTryGivesOneUnsupportedLog) {
    Desktop desktop;
    const auto record =
        makeRecord("com.example.x", FixtureMenuBarItemSourceHint::menuExtra, "X", "X");
    const auto logs =
        QelRuntime::RuntimeActionRunner::runPreferredActions(desktop.services(), record);
    EXPECT_EQ(steps(logs), (std::vector<Step>{{"none", "no-supported-action", -25206}}));
    EXPECT_EQ(logs.front().appName, "X");
    EXPECT_EQ(logs.front().pid, 42);
}

TEST(RuntimeItemIdentity, NamesItemsByTheirSixFields) {
    using enum FixtureMenuBarItemSourceHint;
    const auto key = [](const RuntimeAXMenuBarItemRecord& record) {
        return RuntimeItemIdentity::of(record);
    };
    const auto nameless = makeRecord(std::nullopt, menuExtra, "Clock", "Clock");
    EXPECT_EQ(key(nameless).text(), "|menuExtra|Clock|Clock|AXMenuBarItem|(none)");
    EXPECT_EQ(QelRuntime::pipelineItem(nameless).id, "unknown|menuExtra|Clock");
    const auto named = makeRecord("com.apple.clock", applicationMenu, " Clock", "Clock");
    EXPECT_EQ(key(named).text(),
              "com.apple.clock|applicationMenu| Clock|Clock|AXMenuBarItem|(none)")
        << "texts are kept as the record holds them";

    const struct {
        const char* name;
        RuntimeAXMenuBarItemRecord a;
        RuntimeAXMenuBarItemRecord b;
        bool same;
    } rows[] = {
        {"equal records", nameless, makeRecord(std::nullopt, menuExtra, "Clock", "Clock"), true},
        {"source hint alone differs", nameless,
         makeRecord(std::nullopt, statusItem, "Clock", "Clock"), false},
        {"letter case differs", nameless, makeRecord(std::nullopt, menuExtra, "clock", "Clock"),
         false},
        {"nil and empty bundle identifier", nameless, makeRecord("", menuExtra, "Clock", "Clock"),
         true},
        {"a bar moved between app name and title", makeRecord("b", menuExtra, "A|B", "C"),
         makeRecord("b", menuExtra, "A", "B|C"), false},
        {"a bar moved between bundle identifier and source",
         makeRecord("x|statusItem", unknown, "A", "B"),
         makeRecord("x", statusItem, "unknown|A", "B"), false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(key(row.a) == key(row.b), row.same) << row.name;
    }
    // The shown text of the colliding pair is the same: only the fields tell them apart.
    EXPECT_EQ(key(rows[4].a).text(), key(rows[4].b).text());
}

} // namespace
