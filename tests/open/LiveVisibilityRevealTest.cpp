#include "Parlowen/Opening/LiveVisibilityReveal.h"
#include "Parlowen/Items/MenuBarItemStableIdentity.h"
#include "Parlowen/Opening/ActionRunner.h"
#include "core/ActionAttemptPlanner.h"

#include "tests/open/OpenTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using namespace Parlowen;
using OpenTestSupport::Desktop;
using OpenTestSupport::dragCount;
using OpenTestSupport::sampleDesktop;
using OpenTestSupport::statusItem;
using platform::sim::ActivationCall;
using QelCore::MenuOpenPipelinePhase;
using std::chrono::milliseconds;

// Three passes of two drags (about 550 ms each), two rechecks (260 ms) and a 200 ms pause.
constexpr auto revealBudget = milliseconds(6000);

// The sample desktop with one hidden item that offers no Accessibility action and opens on a
// click only.
nlohmann::json clickOnlyHiddenItem(const std::string& id) {
    auto description = sampleDesktop();
    auto& item = statusItem(description, id);
    item["actions"] = nlohmann::json::array();
    item["menu"]["opensOn"] = {"click"};
    return description;
}

TEST(LiveVisibilityReveal, HiddenItemIsMovedIntoViewAndOpened) {
    for (const bool windowVisible : {false, true}) {
        Desktop desktop(clickOnlyHiddenItem("amphetamine-14"));
        const auto item = desktop.record("amphetamine-14");
        ASSERT_TRUE(item);
        ASSERT_EQ(item->classification, QelCore::VisibilityClassification::hiddenBehindNotch);
        ActionRunner::LiveSettings settings;
        settings.hasVisibleWindow = [windowVisible] { return windowVisible; };
        desktop.desktop.clearRecord();

        const auto start = desktop.clock.now();
        const auto logs = ActionRunner::runPreferredActions(
            *item, ActionRunner::Configuration::live(desktop.services(), settings));
        ASSERT_EQ(logs.size(), 4u);
        EXPECT_EQ(logs[0].result, "posted-unconfirmed");
        EXPECT_EQ(logs[1].action, "CoordinateClickRetry");
        EXPECT_EQ(logs[2].action, "VisibilityReveal");
        EXPECT_EQ(logs[2].result, "neighbor-displacement-moved-into-view");
        EXPECT_EQ(logs[2].phase, MenuOpenPipelinePhase::visibilityReveal);
        EXPECT_EQ(logs[3].action, "CoordinateClick");
        EXPECT_EQ(logs[3].result, "observed-open");
        EXPECT_EQ(logs[3].phase, MenuOpenPipelinePhase::postReveal);
        EXPECT_TRUE(desktop.desktop.isMenuOpen("amphetamine-14"));
        EXPECT_EQ(desktop.desktop.placement("amphetamine-14"),
                  platform::sim::StatusBarLayout::Placement::visible);
        EXPECT_LE(desktop.elapsed(start), revealBudget);

        using Kind = ActivationCall::Kind;
        std::vector<ActivationCall> expected{
            {Kind::setActivationPolicy, platform::NSApplicationActivationPolicyRegular, false, 0,
             0},
            {Kind::activateIgnoringOtherApps, platform::NSApplicationActivationPolicyRegular, true,
             100, 0},
            {Kind::activate, platform::NSApplicationActivationPolicyRegular, false, 100,
             platform::NSApplicationActivateAllWindows},
        };
        if (!windowVisible) {
            expected.push_back({Kind::setActivationPolicy,
                                platform::NSApplicationActivationPolicyAccessory, false, 0, 0});
        }
        EXPECT_EQ(desktop.desktop.record().activationCalls, expected) << windowVisible;
    }
}

TEST(LiveVisibilityReveal, NoActivationOffTheMainThread) {
    Desktop desktop(clickOnlyHiddenItem("amphetamine-14"));
    const auto item = desktop.record("amphetamine-14");
    ASSERT_TRUE(item);
    ActionRunner::LiveSettings settings;
    settings.mainThread = std::thread::id();
    desktop.desktop.clearRecord();
    const auto execution = LiveVisibilityReveal::revealLiveObstructedItemForCoordinateClick(
        desktop.services(), settings, *item);
    EXPECT_EQ(execution.result, "neighbor-displacement-moved-into-view");
    EXPECT_TRUE(desktop.desktop.record().activationCalls.empty());
}

struct RevealRow {
    std::string name;
    std::string itemId;
    std::function<void(nlohmann::json&)> edit;
    std::function<void(Desktop&)> prepare;
    std::string result;
    bool revealed;
    int drags;
};

TEST(LiveVisibilityReveal, EveryEndingHasItsResult) {
    const auto sample = [](nlohmann::json&) {};
    const auto nothing = [](Desktop&) {};
    const RevealRow rows[] = {
        {"already in view", "alfred-12", sample, nothing, "neighbor-displacement-moved-into-view",
         true, 0},
        {"gone from the menu bar", "amphetamine-14", sample,
         [](Desktop& desktop) { desktop.desktop.quit(214); }, "no-visible-reveal-target", false, 0},
        {"no visible item to its right", "clock",
         [](nlohmann::json& description) { description["statusBarRightMargin"] = 660; }, nothing,
         "no-visible-reveal-target", false, 0},
        {"first drag cannot be made", "amphetamine-14", sample,
         [](Desktop& desktop) {
             desktop.desktop.failNext(platform::sim::EventFailure::eventCreation, 2);
         },
         "move-failed", false, 0},
        {"second drag of the first pass", "amphetamine-14", sample, nothing,
         "neighbor-displacement-moved-into-view", true, 2},
        {"last recheck of the third pass", "little-snitch-18", sample, nothing,
         "neighbor-displacement-moved-into-view", true, 6},
        {"three passes without success", "google-drive-20", sample, nothing,
         "move-posted-unconfirmed", false, 6},
    };
    for (const auto& row : rows) {
        Desktop desktop(OpenTestSupport::editedSample(row.edit));
        const auto item = desktop.record(row.itemId);
        ASSERT_TRUE(item) << row.name;
        ASSERT_TRUE(row.drags == 0 ||
                    QelCore::ActionAttemptPlanner::requiresVisibilityReveal(item->classification))
            << row.name;
        row.prepare(desktop);
        desktop.desktop.clearRecord();
        const auto start = desktop.clock.now();
        const auto execution =
            LiveVisibilityReveal::displaceVisibleNeighborsToReveal(desktop.services(), *item);
        EXPECT_EQ(execution.result, row.result) << row.name;
        EXPECT_EQ(execution.revealedItem.has_value(), row.revealed) << row.name;
        if (execution.revealedItem) {
            EXPECT_TRUE(LiveVisibilityReveal::recordsMatch(*item, *execution.revealedItem))
                << row.name;
            EXPECT_FALSE(QelCore::ActionAttemptPlanner::requiresVisibilityReveal(
                execution.revealedItem->classification))
                << row.name;
        }
        const auto record = desktop.desktop.record();
        EXPECT_EQ(dragCount(record), row.drags) << row.name;
        // The first drag of a pass goes to the HID tap, the second to the session tap.
        int drag = 0;
        for (const auto& posted : record.events) {
            if (posted.event.type == platform::kCGEventLeftMouseDown) {
                EXPECT_EQ(posted.tap,
                          drag++ % 2 == 0 ? platform::kCGHIDEventTap : platform::kCGSessionEventTap)
                    << row.name;
            }
        }
        EXPECT_LE(desktop.elapsed(start), revealBudget) << row.name;
    }
}

TEST(LiveVisibilityReveal, NeighbourChoiceAndOrder) {
    Desktop desktop;
    const auto snapshot = MenuBarScanner::scan(desktop.services(), std::nullopt, true);
    const auto target = desktop.record("amphetamine-14");
    const auto alfred = desktop.record("alfred-12");
    const auto raycast = desktop.record("raycast-11");
    ASSERT_TRUE(target && alfred && raycast);
    const auto alfredKey = MenuBarItemStableIdentity::of(*alfred);
    const auto raycastKey = MenuBarItemStableIdentity::of(*raycast);
    const auto choose = [&](const std::vector<AXMenuBarItemRecord>& candidates,
                            const std::unordered_set<MenuBarItemStableIdentity>& excluding) {
        const auto plan = LiveVisibilityReveal::firstVisibleNeighborDisplacementPlan(
            *target, candidates, snapshot.screens, excluding);
        return plan ? plan->candidateIdentity.rawValue : std::string("none");
    };

    EXPECT_EQ(choose(snapshot.items, {}), alfredKey.rawValue) << "nearest visible to the right";
    const std::vector reversed(snapshot.items.rbegin(), snapshot.items.rend());
    EXPECT_EQ(choose(reversed, {}), alfredKey.rawValue) << "left edges decide, not scan order";
    EXPECT_EQ(choose(snapshot.items, {alfredKey}), raycastKey.rawValue) << "tried ones are passed";
    EXPECT_EQ(choose({*target}, {}), "none") << "the target is never its own neighbour";

    // Equal left edges keep scan order.
    auto twin = *raycast;
    twin.frame = alfred->frame;
    twin.position = alfred->position;
    EXPECT_EQ(choose({twin, *alfred}, {}), raycastKey.rawValue);
    EXPECT_EQ(choose({*alfred, twin}, {}), alfredKey.rawValue);
}

} // namespace
