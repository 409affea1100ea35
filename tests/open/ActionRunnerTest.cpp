#include "Parlowen/Opening/ActionRunner.h"
#include "Parlowen/Opening/ObservedMenuActions.h"
#include "Parlowen/Opening/QuickOpenActionFeedback.h"
#include "Parlowen/Scanning/AccessibilityTrustProbe.h"
#include "Parlowen/Scanning/ScreenProbe.h"

#include "tests/open/OpenTestSupport.h"
#include "tests/support/AttemptSteps.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace Parlowen;
using OpenTestSupport::Desktop;
using OpenTestSupport::sampleDesktop;
using OpenTestSupport::statusItem;
using QelCore::ActionAttemptLog;
using QelCore::MenuKeyboardNavigability;
using QelCore::MenuOpenEvidenceSource;
using QelCore::MenuOpenPipelinePhase;
using std::chrono::milliseconds;

using AttemptSteps::describe;
using AttemptSteps::Step;
using AttemptSteps::steps;

struct RunRow {
    std::string name;
    std::string itemId;
    // Edits the sample desktop before it is built.
    std::function<void(nlohmann::json&)> edit;
    std::vector<Step> expected;
    QuickOpenActionOutcome outcome;
    MenuKeyboardNavigability navigability = MenuKeyboardNavigability::unknown;
};

TEST(ActionRunner, LiveRunsOnTheSampleDesktop) {
    using enum MenuOpenEvidenceSource;
    using enum MenuOpenPipelinePhase;
    const auto noEdit = [](nlohmann::json&) {};
    const auto withoutMenu = [](std::string id) {
        return [id](nlohmann::json& description) { statusItem(description, id).erase("menu"); };
    };
    const RunRow rows[] = {
        {"press observed by notification",
         "clock",
         noEdit,
         {{"AXPress", "observed-open", 0, axMenuOpened, lightweight}},
         QuickOpenActionOutcome::observedOpen,
         MenuKeyboardNavigability::keyboardNavigable},
        {"opens only on a click",
         "slack-4",
         noEdit,
         {{"AXPress", "success", 0, none, lightweight},
          {"AXShowMenu", "success", 0, none, lightweight},
          {"CoordinateClick", "observed-open", 0, axWindowCreated, lightweight}},
         QuickOpenActionOutcome::observedOpen},
        {"transient failure retried once",
         "raycast-11",
         noEdit,
         {{"AXPress", "failure", -25204, none, lightweight},
          {"AXPress+retry", "observed-open", 0, axChildrenDiff, lightweight}},
         QuickOpenActionOutcome::observedOpen,
         MenuKeyboardNavigability::keyboardNavigable},
        {"never opens though every action is accepted",
         "zoom-5",
         withoutMenu("zoom-5"),
         {{"AXPress", "success", 0, none, lightweight},
          {"AXShowMenu", "success", 0, none, lightweight},
          {"CoordinateClick", "posted-unconfirmed", 0, none, lightweight}},
         QuickOpenActionOutcome::actionSent},
        {"never opens by clicks alone",
         "zoom-5",
         [](nlohmann::json& description) {
             auto& item = statusItem(description, "zoom-5");
             item.erase("menu");
             item["actions"] = nlohmann::json::array();
         },
         {{"CoordinateClick", "posted-unconfirmed", 0, none, lightweight},
          {"CoordinateClickRetry", "posted-unconfirmed", 0, none, lightweight}},
         QuickOpenActionOutcome::actionSent},
        {"actions refused and nothing to click",
         "zoom-5",
         [](nlohmann::json& description) {
             auto& item = statusItem(description, "zoom-5");
             item["actionQuirks"] = {{"AXPress", "unsupported"}, {"AXShowMenu", "unsupported"}};
             item["attributes"]["AXPosition"] = nullptr;
             item["attributes"]["AXSize"] = nullptr;
         },
         {{"AXPress", "failure", -25206, none, lightweight},
          {"AXShowMenu", "failure", -25206, none, lightweight}},
         QuickOpenActionOutcome::failed},
        {"nothing to try",
         "zoom-5",
         [](nlohmann::json& description) {
             auto& item = statusItem(description, "zoom-5");
             item["actions"] = nlohmann::json::array();
             item["attributes"]["AXPosition"] = nullptr;
             item["attributes"]["AXSize"] = nullptr;
         },
         {{"none", "no-supported-action", -25206, none, lightweight}},
         QuickOpenActionOutcome::failed},
    };
    for (const auto& row : rows) {
        Desktop desktop(OpenTestSupport::editedSample(row.edit));
        const auto item = desktop.record(row.itemId);
        ASSERT_TRUE(item) << row.name;
        const auto logs = ActionRunner::runPreferredActions(
            *item, ActionRunner::Configuration::live(desktop.services()));
        EXPECT_EQ(steps(logs), row.expected) << row.name << "\n" << describe(steps(logs));
        for (std::size_t i = 0; i < logs.size(); ++i) {
            EXPECT_EQ(logs[i].attemptIndex, static_cast<std::int64_t>(i)) << row.name;
            EXPECT_EQ(logs[i].appName, item->appName) << row.name;
            EXPECT_EQ(logs[i].pid, item->pid) << row.name;
            EXPECT_EQ(logs[i].title, item->title) << row.name;
        }
        const auto feedback = QuickOpenActionFeedback::make(item->appName, logs, false);
        EXPECT_EQ(feedback.outcome, row.outcome) << row.name;
        EXPECT_EQ(feedback.keyboardNavigability, row.navigability) << row.name;
        EXPECT_EQ(desktop.desktop.isMenuOpen(row.itemId),
                  row.outcome == QuickOpenActionOutcome::observedOpen)
            << row.name;
    }
}

TEST(ActionRunner, WaitsStayWithinTheirBudgets) {
    Desktop desktop;
    const auto services = desktop.services();
    const auto clock = desktop.record("clock");
    const auto mail = desktop.record("mail-2");
    ASSERT_TRUE(clock && mail);

    // A notification 30 ms after the press is seen at the end of its 25 ms slice.
    auto start = desktop.clock.now();
    auto execution =
        ObservedMenuActions::executeObservedAXAction(services, "AXPress", *clock, &desktop.loop);
    EXPECT_TRUE(execution.observedOpen);
    EXPECT_LE(desktop.elapsed(start), milliseconds(75));

    // Nothing happens: the whole notification wait, then the whole menu-tree wait.
    start = desktop.clock.now();
    execution =
        ObservedMenuActions::executeObservedAXAction(services, "AXRaise", *mail, &desktop.loop);
    EXPECT_EQ(execution.errorCode, -25206);
    EXPECT_FALSE(execution.observedOpen);
    EXPECT_GE(desktop.elapsed(start), milliseconds(800));
    EXPECT_LE(desktop.elapsed(start), milliseconds(900));
}

TEST(ActionRunner, OffTheMainThreadNoMainLoopTaskRunsOnTheCaller) {
    Desktop desktop;
    const auto clock = desktop.record("clock");
    ASSERT_TRUE(clock);
    // Built here, so this thread is the one that runs the main loop.
    const auto configuration = ActionRunner::Configuration::live(desktop.services());
    std::optional<std::thread::id> ranOn;
    desktop.loop.post([&ranOn] { ranOn = std::this_thread::get_id(); });

    std::vector<ActionAttemptLog> logs;
    std::thread worker([&] { logs = ActionRunner::runPreferredActions(*clock, configuration); });
    worker.join();
    EXPECT_FALSE(ranOn.has_value()) << "a main-loop task ran on the worker thread";
    // Without an observation the menu tree still witnesses the opening.
    EXPECT_EQ(steps(logs), (std::vector<Step>{{"AXPress", "observed-open", 0,
                                               MenuOpenEvidenceSource::axChildrenDiff}}))
        << describe(steps(logs));

    desktop.loop.runFor(milliseconds(1));
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(ActionRunner, EvidenceCountsOnlyForTheItemActedOn) {
    const struct {
        const char* name;
        // mail-2's notification, for the rows where mail-2 opens while mail-34 is pressed.
        const char* notification;
        std::string acted;
        bool observed;
    } rows[] = {
        {"its twin opens, silently", "none", "mail-34", false},
        {"its twin opens and says so", "AXMenuOpened", "mail-34", false},
        {"the item itself opens", "AXMenuOpened", "mail-2", true},
    };
    for (const auto& row : rows) {
        auto description = sampleDesktop();
        statusItem(description, "mail-2")["menu"]["notification"] = row.notification;
        Desktop desktop(description);
        const auto acted = desktop.record(row.acted);
        const auto twin = desktop.record("mail-2");
        ASSERT_TRUE(acted && twin) << row.name;
        // mail-34 takes the press without effect; mail-2 opens 50 ms later, inside the wait.
        if (row.acted != "mail-2") {
            desktop.loop.postAfter(milliseconds(50), [&desktop, element = twin->element] {
                desktop.desktop.accessibility().performAction(element, "AXPress");
            });
        }
        const auto execution = ObservedMenuActions::executeObservedAXAction(
            desktop.services(), "AXPress", *acted, &desktop.loop);
        EXPECT_TRUE(desktop.desktop.isMenuOpen("mail-2")) << row.name;
        EXPECT_EQ(execution.observedOpen, row.observed)
            << row.name << " " << QelCore::toString(execution.evidenceSource);
    }
}

TEST(ActionRunner, ClickIsRefusedOffEveryDisplay) {
    Desktop desktop;
    auto& events = desktop.desktop.events();
    const auto screens = ScreenProbe::captureScreens(desktop.desktop.displays());
    const struct {
        const char* name;
        platform::CGPoint point;
        bool posted;
    } rows[] = {
        {"menu bar of the display", {1400, 12}, true}, {"behind the notch", {700, 12}, true},
        {"left of the display", {-40, 12}, false},     {"below the display", {100, 2000}, false},
        {"not a number", {std::nan(""), 12}, false},
    };
    for (const auto& row : rows) {
        desktop.desktop.clearRecord();
        EXPECT_EQ(
            ObservedMenuActions::postCoordinateClick(events, desktop.clock, row.point, screens),
            row.posted)
            << row.name;
        EXPECT_EQ(desktop.desktop.record().events.size(), row.posted ? 2u : 0u) << row.name;
    }

    // An item pushed off the screen is not clicked at its off-screen centre.
    const auto offscreen = desktop.record("dropbox-39");
    ASSERT_TRUE(offscreen && offscreen->position && offscreen->size);
    desktop.desktop.clearRecord();
    const auto execution = ObservedMenuActions::executeObservedCoordinateClick(
        desktop.services(), {offscreen->position->x + 5, offscreen->position->y + 5}, *offscreen,
        &desktop.loop);
    EXPECT_FALSE(execution.posted);
    EXPECT_TRUE(desktop.desktop.record().events.empty());
    const auto log = ActionRunner::coordinateClickLog("CoordinateClick", execution, *offscreen);
    EXPECT_EQ(log.result, "failure");
    EXPECT_EQ(log.errorCode, -25200);
}

TEST(ActionRunner, EscapePressSleepsEvenWhenNothingIsPosted) {
    Desktop desktop;
    auto& events = desktop.desktop.events();
    for (const bool failing : {false, true}) {
        desktop.desktop.clearRecord();
        if (failing) {
            desktop.desktop.failNext(platform::sim::EventFailure::eventCreation, 2);
        }
        const auto start = desktop.clock.now();
        ObservedMenuActions::dismissOpenMenus(events, desktop.clock);
        EXPECT_EQ(desktop.elapsed(start), milliseconds(220)) << failing;
        const auto posted = desktop.desktop.record().events;
        ASSERT_EQ(posted.size(), failing ? 0u : 2u);
        for (const auto& event : posted) {
            EXPECT_EQ(event.event.keyCode, platform::kVK_Escape);
            EXPECT_EQ(event.tap, platform::kCGHIDEventTap);
        }
    }
}

TEST(ActionRunner, ExecutionsBecomeLogs) {
    using enum MenuOpenEvidenceSource;
    using enum MenuKeyboardNavigability;
    AXMenuBarItemRecord item;
    item.appName = "Clock";
    item.pid = 4242;
    item.title = "Clock";
    item.role = "AXMenuBarItem";
    item.subrole = "AXMenuExtra";
    struct Row {
        std::string name;
        QelCore::ActionAttemptLog log;
        std::string result;
        std::int32_t errorCode;
        MenuOpenEvidenceSource source;
        MenuKeyboardNavigability navigability;
    };
    const auto press = [&](std::int32_t error, bool observed, MenuOpenEvidenceSource source) {
        return ActionRunner::axActionLog("AXPress", {error, observed, source}, item);
    };
    const auto click = [&](bool posted, bool observed, MenuOpenEvidenceSource source) {
        return ActionRunner::coordinateClickLog("CoordinateClick", {posted, observed, source},
                                                item);
    };
    const Row rows[] = {
        {"press observed", press(0, true, axMenuOpened), "observed-open", 0, axMenuOpened,
         keyboardNavigable},
        {"press accepted, nothing seen", press(0, false, none), "success", 0, none, unknown},
        {"press refused", press(-25205, false, none), "failure", -25205, none, unknown},
        {"press refused yet observed", press(-25204, true, axChildrenDiff), "observed-open", -25204,
         axChildrenDiff, keyboardNavigable},
        {"press seen as a window only", press(0, true, windowServerDiff), "observed-open", 0,
         windowServerDiff, notKeyboardNavigable},
        {"click observed", click(true, true, axWindowCreated), "observed-open", 0, axWindowCreated,
         unknown},
        {"click posted, nothing seen", click(true, false, none), "posted-unconfirmed", 0, none,
         unknown},
        {"click not posted", click(false, false, none), "failure", -25200, none, unknown},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.log.result, row.result) << row.name;
        EXPECT_EQ(row.log.errorCode, row.errorCode) << row.name;
        EXPECT_EQ(row.log.evidenceSource, row.source) << row.name;
        EXPECT_EQ(row.log.keyboardNavigability, row.navigability) << row.name;
        EXPECT_EQ(row.log.pid, 4242) << row.name;
        EXPECT_EQ(row.log.subrole, "AXMenuExtra") << row.name;
        EXPECT_EQ(row.log.phase, MenuOpenPipelinePhase::lightweight) << row.name;
        EXPECT_EQ(row.log.attemptIndex, 0) << row.name;
    }
}

TEST(ActionRunner, RevealLogsCarryWhetherSomethingWasDelivered) {
    AXMenuBarItemRecord item;
    item.appName = "Dropbox";
    const struct {
        const char* result;
        std::int32_t errorCode;
    } rows[] = {
        {"no-visible-reveal-target", -25206},
        {"move-failed", -25200},
        {"move-posted-unconfirmed", 0},
        {"neighbor-displacement-moved-into-view", 0},
    };
    for (const auto& row : rows) {
        const auto log = ActionRunner::visibilityRevealLog(row.result, item);
        EXPECT_EQ(log.errorCode, row.errorCode) << row.result;
        EXPECT_EQ(log.action, "VisibilityReveal") << row.result;
        // A reveal alone that moved nothing is never reported as an action sent.
        EXPECT_EQ(QuickOpenActionFeedback::make("Dropbox", {log}, false).outcome,
                  row.errorCode == 0 ? QuickOpenActionOutcome::actionSent
                                     : QuickOpenActionOutcome::failed)
            << row.result;
    }
}

TEST(AccessibilityTrustProbe, PromptsOnlyWhenAskedAndNotTrusted) {
    const struct {
        const char* name;
        bool trusted;
        bool prompt;
        int prompts;
    } rows[] = {
        {"trusted, no prompt", true, false, 0},
        {"trusted, prompt", true, true, 0},
        {"not trusted, no prompt", false, false, 0},
        {"not trusted, prompt", false, true, 1},
    };
    for (const auto& row : rows) {
        Desktop desktop;
        desktop.desktop.setTrusted(row.trusted);
        desktop.desktop.clearRecord();
        const auto probe = AccessibilityTrustProbe::live(desktop.desktop.accessibility());
        EXPECT_EQ(probe.isTrusted(row.prompt), row.trusted) << row.name;
        EXPECT_EQ(desktop.desktop.record().trustPrompts, row.prompts) << row.name;
    }
}

} // namespace
