#include "core/MenuOpenPipeline.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>

namespace {

using namespace QelCore;
using Item = MenuOpenPipelineItem<std::string>;

// What each executor answers, in call order, and the trace of the calls it received.
struct Script {
    // Results per action name ("AXPress", "AXShowMenu", "CoordinateClick"): {result, errorCode}.
    std::map<std::string, std::deque<std::pair<std::string, std::int32_t>>> answers;
    std::optional<Item> revealed;
    std::vector<std::string> trace;

    ActionAttemptLog answer(const std::string& action) {
        auto& queue = answers[action];
        const auto [result, code] =
            queue.empty() ? std::pair<std::string, std::int32_t>{"failure", -25200} : queue.front();
        if (!queue.empty()) {
            queue.pop_front();
        }
        ActionAttemptLog log;
        log.action = action;
        log.result = result;
        log.errorCode = code;
        // Executors need not number their logs.
        log.attemptIndex = 99;
        log.phase = MenuOpenPipelinePhase::postReveal;
        return log;
    }

    MenuOpenPipelineResult<std::string> run(const Item& item) {
        return MenuOpenPipeline::run<std::string>(
            item, [&] { trace.push_back("dismiss"); },
            [&](const std::string& action, const Item& target, MenuOpenPipelinePhase phase,
                std::int64_t index) {
                trace.push_back(action + "/" + target.id + "/" + toString(phase) + "/" +
                                std::to_string(index));
                return answer(action);
            },
            [&](CGPoint point, const Item& target, MenuOpenPipelinePhase phase,
                std::int64_t index) {
                trace.push_back("click(" + std::to_string(static_cast<int>(point.x)) + "," +
                                std::to_string(static_cast<int>(point.y)) + ")/" + target.id + "/" +
                                toString(phase) + "/" + std::to_string(index));
                return answer("CoordinateClick");
            },
            [&](const Item& target, std::int64_t index) {
                trace.push_back("reveal/" + target.id + "/" + std::to_string(index));
                ActionAttemptLog log;
                log.action = "VisibilityReveal";
                log.result = "neighbor-displacement-moved-into-view";
                return MenuOpenPipelineRevealResult<std::string>{log, revealed};
            });
    }
};

Item makeItem(std::vector<std::string> actions, bool geometry,
              VisibilityClassification classification = VisibilityClassification::visible,
              std::string id = "item") {
    Item item{std::move(id), "record",     std::move(actions),
              std::nullopt,  std::nullopt, classification};
    if (geometry) {
        item.position = CGPoint{100, 0};
        item.size = CGSize{20, 24};
    }
    return item;
}

std::vector<std::string> actionsOf(const MenuOpenPipelineResult<std::string>& result) {
    std::vector<std::string> actions;
    for (const auto& attempt : result.attempts) {
        actions.push_back(attempt.action);
    }
    return actions;
}

using Answers = std::map<std::string, std::deque<std::pair<std::string, std::int32_t>>>;
const std::pair<std::string, std::int32_t> opened{"observed-open", 0};
const std::pair<std::string, std::int32_t> accepted{"success", 0};
const std::pair<std::string, std::int32_t> transient{"failure", -25204};
const std::pair<std::string, std::int32_t> posted{"posted-unconfirmed", 0};
const std::pair<std::string, std::int32_t> notPosted{"failure", -25200};

TEST(MenuOpenPipeline, LightweightAttemptsFollowTheRules) {
    struct Row {
        const char* name;
        Item item;
        Answers answers;
        std::vector<std::string> expectedTrace;
        std::vector<std::string> expectedActions;
    };
    const std::vector<Row> rows = {
        {"press first, stop at the opening",
         makeItem({"AXShowMenu", "AXPress"}, true),
         {{"AXPress", {opened}}},
         {"AXPress/item/lightweight/0"},
         {"AXPress"}},
        {"transient press retried at once",
         makeItem({"AXPress"}, true),
         {{"AXPress", {transient, opened}}},
         {"AXPress/item/lightweight/0", "AXPress/item/lightweight/1"},
         {"AXPress", "AXPress+retry"}},
        {"accepted actions: dismiss, one click, no retry",
         makeItem({"AXPress", "AXShowMenu"}, true),
         {{"AXPress", {accepted}}, {"AXShowMenu", {accepted}}, {"CoordinateClick", {posted}}},
         {"AXPress/item/lightweight/0", "AXShowMenu/item/lightweight/1", "dismiss",
          "click(110,12)/item/lightweight/2"},
         {"AXPress", "AXShowMenu", "CoordinateClick"}},
        {"accepted retry counts as accepted",
         makeItem({"AXShowMenu"}, true),
         {{"AXShowMenu", {transient, accepted}}, {"CoordinateClick", {posted}}},
         {"AXShowMenu/item/lightweight/0", "AXShowMenu/item/lightweight/1", "dismiss",
          "click(110,12)/item/lightweight/2"},
         {"AXShowMenu", "AXShowMenu+retry", "CoordinateClick"}},
        {"no action: click and its retry, no dismiss",
         makeItem({"AXRaise"}, true),
         {{"CoordinateClick", {posted, posted}}},
         {"click(110,12)/item/lightweight/0", "click(110,12)/item/lightweight/1"},
         {"CoordinateClick", "CoordinateClickRetry"}},
        {"failed actions and a click that is not posted",
         makeItem({"AXPress", "AXShowMenu"}, true),
         {{"AXPress", {transient, transient}},
          {"AXShowMenu", {notPosted}},
          {"CoordinateClick", {notPosted}}},
         {"AXPress/item/lightweight/0", "AXPress/item/lightweight/1",
          "AXShowMenu/item/lightweight/2", "click(110,12)/item/lightweight/3"},
         {"AXPress", "AXPress+retry", "AXShowMenu", "CoordinateClick"}},
        {"click that opens is not retried",
         makeItem({}, true),
         {{"CoordinateClick", {opened}}},
         {"click(110,12)/item/lightweight/0"},
         {"CoordinateClick"}},
        {"no geometry, no click",
         makeItem({"AXPress"}, false),
         {{"AXPress", {accepted}}},
         {"AXPress/item/lightweight/0"},
         {"AXPress"}},
        {"nothing to try", makeItem({}, false), {}, {}, {}},
    };
    for (const auto& row : rows) {
        Script script{row.answers, std::nullopt, {}};
        const auto result = script.run(row.item);
        EXPECT_EQ(script.trace, row.expectedTrace) << row.name;
        EXPECT_EQ(actionsOf(result), row.expectedActions) << row.name;
        for (std::size_t i = 0; i < result.attempts.size(); ++i) {
            EXPECT_EQ(result.attempts[i].attemptIndex, static_cast<std::int64_t>(i)) << row.name;
            EXPECT_EQ(result.attempts[i].phase, MenuOpenPipelinePhase::lightweight) << row.name;
        }
        EXPECT_EQ(result.finalItem.id, "item") << row.name;
        EXPECT_FALSE(result.didAttemptVisibilityReveal()) << row.name;
    }
}

TEST(MenuOpenPipeline, RevealsOnlyHiddenOrOffscreenItems) {
    using enum VisibilityClassification;
    for (const auto classification : {visible, unknown, hiddenBehindNotch, pushedOffscreen}) {
        Script script;
        const auto result = script.run(makeItem({}, false, classification));
        const bool revealed =
            classification == hiddenBehindNotch || classification == pushedOffscreen;
        EXPECT_EQ(result.didAttemptVisibilityReveal(), revealed) << toString(classification);
        EXPECT_EQ(result.visibilityRevealResult(),
                  revealed ? "neighbor-displacement-moved-into-view" : "notAttempted")
            << toString(classification);
    }
}

TEST(MenuOpenPipeline, PostRevealAttemptsRunOnTheRevealedItem) {
    Script script;
    script.revealed = makeItem({"AXPress"}, true, VisibilityClassification::visible, "revealed");
    script.answers = {{"AXPress", {transient, accepted}}, {"CoordinateClick", {opened}}};
    const auto result =
        script.run(makeItem({}, false, VisibilityClassification::hiddenBehindNotch));
    EXPECT_EQ(script.trace,
              (std::vector<std::string>{"reveal/item/0", "AXPress/revealed/postReveal/1",
                                        "AXPress/revealed/postReveal/2", "dismiss",
                                        "click(110,12)/revealed/postReveal/3"}));
    ASSERT_EQ(result.attempts.size(), 4u);
    EXPECT_EQ(result.attempts[0].phase, MenuOpenPipelinePhase::visibilityReveal);
    EXPECT_EQ(result.attempts[0].attemptIndex, 0);
    EXPECT_EQ(result.finalItem.id, "revealed");
    EXPECT_EQ(result.terminalPhase(), MenuOpenPipelinePhase::postReveal);
    EXPECT_TRUE(result.observedOpen());
    EXPECT_EQ(result.openedByAction(), "CoordinateClick");
}

TEST(MenuOpenPipeline, RevealThatDoesNotBringTheItemIntoViewEndsTheRun) {
    for (const bool found : {false, true}) {
        Script script;
        if (found) {
            script.revealed = makeItem({"AXPress"}, true,
                                       VisibilityClassification::hiddenBehindNotch, "revealed");
        }
        const auto result =
            script.run(makeItem({}, true, VisibilityClassification::pushedOffscreen));
        EXPECT_EQ(actionsOf(result),
                  (std::vector<std::string>{"CoordinateClick", "VisibilityReveal"}))
            << found;
        EXPECT_EQ(result.finalItem.id, "item") << found;
        EXPECT_EQ(result.terminalPhase(), MenuOpenPipelinePhase::visibilityReveal) << found;
        EXPECT_EQ(result.openedByAction(), "none") << found;
    }
}

TEST(MenuOpenPipeline, NeverMoreThanThirteenContiguousAttempts) {
    Script script;
    script.revealed =
        makeItem({"AXPress", "AXShowMenu"}, true, VisibilityClassification::visible, "revealed");
    script.answers = {{"AXPress", {transient, transient, transient, transient}},
                      {"AXShowMenu", {transient, transient, transient, transient}},
                      {"CoordinateClick", {posted, posted, posted, posted}}};
    const auto result = script.run(
        makeItem({"AXPress", "AXShowMenu"}, true, VisibilityClassification::hiddenBehindNotch));
    ASSERT_EQ(result.attempts.size(), 13u);
    for (std::size_t i = 0; i < result.attempts.size(); ++i) {
        EXPECT_EQ(result.attempts[i].attemptIndex, static_cast<std::int64_t>(i));
    }
    EXPECT_EQ(result.attempts[6].action, "VisibilityReveal");
    EXPECT_EQ(result.attempts[12].action, "CoordinateClickRetry");
    EXPECT_EQ(result.attempts[12].phase, MenuOpenPipelinePhase::postReveal);
}

TEST(MenuOpenPipeline, OpenedByActionFoldsRetries) {
    Script script;
    script.answers = {{"AXShowMenu", {transient, opened}}};
    const auto result = script.run(makeItem({"AXShowMenu"}, true));
    EXPECT_EQ(result.openedByAction(), "AXShowMenu");
    EXPECT_EQ(result.attempts.back().action, "AXShowMenu+retry");
}

} // namespace
