#include "Parlowen/Opening/ActionRunner.h"
#include "Parlowen/Opening/LiveVisibilityReveal.h"
#include "Parlowen/Opening/QuickOpenActionFeedback.h"
#include "core/ActionAttemptPlanner.h"

#include "tests/open/OpenTestSupport.h"
#include "tests/support/AttemptSteps.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using namespace Parlowen;
using OpenTestSupport::Desktop;
using OpenTestSupport::dragCount;
using OpenTestSupport::sampleDesktop;
using OpenTestSupport::statusItem;
using QelCore::ActionAttemptLog;
using SampleDesktops::makeClickOnlyMailTwin;

// The status items whose menus are open.
std::vector<std::string> openMenus(const Desktop& desktop) {
    std::vector<std::string> open;
    for (const auto& item : desktop.desktop.initialDescription().statusItems) {
        if (desktop.desktop.isMenuOpen(item.id)) {
            open.push_back(item.id);
        }
    }
    return open;
}

const ActionAttemptLog* revealLog(const std::vector<ActionAttemptLog>& logs) {
    for (const auto& log : logs) {
        if (log.action == QelCore::ActionAttemptPlanner::visibilityRevealActionName) {
            return &log;
        }
    }
    return nullptr;
}

// Opens `target` and checks that the opening is honest: either the item was really dragged
// into view and its own menu, and only that, is open; or nothing is observed, the reveal says
// why, and no menu is open at all.
void expectHonestOpening(const nlohmann::json& description, const std::string& target,
                         const std::string& name) {
    Desktop desktop(description);
    const auto item = desktop.record(target);
    ASSERT_TRUE(item) << name;
    ASSERT_TRUE(QelCore::ActionAttemptPlanner::requiresVisibilityReveal(item->classification))
        << name;
    desktop.desktop.clearRecord();
    const auto logs = ActionRunner::runPreferredActions(
        *item, ActionRunner::Configuration::live(desktop.services()));
    const auto steps = AttemptSteps::describe(AttemptSteps::steps(logs));
    const ActionAttemptLog* reveal = revealLog(logs);
    ASSERT_NE(reveal, nullptr) << name << "\n" << steps;
    if (QuickOpenActionFeedback::observedOpen(logs)) {
        EXPECT_EQ(reveal->result, "neighbor-displacement-moved-into-view") << name;
        EXPECT_GT(dragCount(desktop.desktop.record()), 0) << name << ": revealed without a drag";
        EXPECT_EQ(openMenus(desktop), std::vector<std::string>{target}) << name << "\n" << steps;
    } else {
        EXPECT_NE(reveal->result, "neighbor-displacement-moved-into-view") << name;
        EXPECT_EQ(logs.back().action, "VisibilityReveal") << name << ": nothing after the reveal";
        EXPECT_EQ(openMenus(desktop), std::vector<std::string>{}) << name << "\n" << steps;
    }
}

TEST(OpeningTarget, AHiddenItemIsNeverStoodForByAVisibleTwin) {
    // mail-34 lies past the left edge and opens on a click only; mail-2 is its visible twin.
    auto description = sampleDesktop();
    statusItem(description, "mail-34")["menu"]["opensOn"] = {"click"};
    expectHonestOpening(description, "mail-34", "off-screen Mail");

    // Two hidden twins behind the notch and the visible mail-2 share one identity.
    description = sampleDesktop();
    makeClickOnlyMailTwin(description, "amphetamine-14");
    makeClickOnlyMailTwin(description, "istat-menus-15");
    for (const std::string target : {"amphetamine-14", "istat-menus-15"}) {
        expectHonestOpening(description, target, "hidden twin " + target);
    }
}

TEST(OpeningTarget, ATwinThatCannotBeToldApartEndsTheOpeningAsAFailure) {
    auto description = sampleDesktop();
    makeClickOnlyMailTwin(description, "amphetamine-14");
    makeClickOnlyMailTwin(description, "istat-menus-15");
    Desktop desktop(description);
    auto item = desktop.record("amphetamine-14");
    ASSERT_TRUE(item);
    // Its element is gone (the item was made anew), so only its place could tell it from the
    // other two, and this reveal never saw it.
    item->element = platform::AXUIElement(item->pid, 0xFFFFFFF);
    desktop.desktop.clearRecord();

    const auto logs = ActionRunner::runPreferredActions(
        *item, ActionRunner::Configuration::live(desktop.services()));
    const ActionAttemptLog* reveal = revealLog(logs);
    ASSERT_NE(reveal, nullptr) << AttemptSteps::describe(AttemptSteps::steps(logs));
    EXPECT_EQ(reveal->result, "ambiguous-reveal-target");
    EXPECT_EQ(reveal->errorCode, -25202);
    EXPECT_EQ(&logs.back(), reveal) << "nothing is tried on a twin";
    EXPECT_EQ(dragCount(desktop.desktop.record()), 0);
    EXPECT_EQ(openMenus(desktop), std::vector<std::string>{});
    const auto feedback = QuickOpenActionFeedback::make(item->appName, logs, false);
    EXPECT_EQ(feedback.outcome, QuickOpenActionOutcome::failed);
    EXPECT_FALSE(feedback.openObserved);
}

TEST(OpeningTarget, AnObservedOpeningOpensExactlyThatItem) {
    int candidates = 0;
    int observed = 0;
    std::set<std::string> unobserved;
    for (const std::string name : {"notched-crowded", "external-plain", "dual-display"}) {
        // Trusted from the start, so that every item is read.
        auto description = sampleDesktop(name);
        description["trust"] = {{"trusted", true}};
        Desktop probe(description);
        for (const auto& described : probe.desktop.initialDescription().statusItems) {
            Desktop desktop(description);
            const auto item = desktop.record(described.id);
            if (!item || !item->isStatusCandidate) {
                continue;
            }
            ++candidates;
            const auto logs = ActionRunner::runPreferredActions(
                *item, ActionRunner::Configuration::live(desktop.services()));
            if (QuickOpenActionFeedback::observedOpen(logs)) {
                ++observed;
                EXPECT_EQ(openMenus(desktop), std::vector<std::string>{described.id})
                    << name << " " << described.id << "\n"
                    << AttemptSteps::describe(AttemptSteps::steps(logs));
            } else {
                unobserved.insert(name + " " + described.id);
            }
        }
    }
    RecordProperty("candidates", candidates);
    RecordProperty("observed", observed);
    EXPECT_EQ(candidates, 109);
    // Past the left edge and opened by a click only: no drag can land left of it, and its
    // visible twin no longer answers for it.
    EXPECT_EQ(unobserved, std::set<std::string>{"notched-crowded mail-34"});
}

} // namespace
