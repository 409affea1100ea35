#include "core/ActionAttemptPlanner.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using namespace QelCore;
namespace Planner = ActionAttemptPlanner;
constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

TEST(ActionAttemptPlanner, PreferredActionsKeepPriorityOrder) {
    struct Row {
        const char* name;
        std::vector<std::string> advertised;
        std::vector<std::string> expected;
    };
    const Row rows[] = {
        {"reordered", {"AXShowMenu", "AXRaise", "AXPress"}, {"AXPress", "AXShowMenu"}},
        {"duplicates", {"AXPress", "AXPress"}, {"AXPress"}},
        {"other letter case", {"axpress", "AXShowmenu"}, {}},
        {"only others", {"AXRaise", "AXCancel"}, {}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Planner::preferredActions(row.advertised), row.expected) << row.name;
    }
}

TEST(ActionAttemptPlanner, RetriesAndNormalizedNames) {
    EXPECT_TRUE(Planner::isTransientFailure(-25204));
    for (const std::int32_t code : {0, -25200, -25205}) {
        EXPECT_FALSE(Planner::isTransientFailure(code)) << code;
    }
    EXPECT_EQ(Planner::renamedActionForRetry("AXPress"), "AXPress+retry");
    const std::pair<const char*, const char*> rows[] = {
        {"CoordinateClickRetry", "CoordinateClick"},
        {"AXShowMenu+retry", "AXShowMenu"},
        {"AXPress+retry", "AXPress"},
        {"VisibilityReveal", "VisibilityReveal"},
        {"CoordinateClick+retry", "CoordinateClick+retry"},
        {"VisibilityReveal+retry", "VisibilityReveal+retry"},
        {"axpress+retry", "axpress+retry"},
    };
    for (const auto& [logged, base] : rows) {
        EXPECT_EQ(Planner::normalizedActionName(logged), base) << logged;
    }
}

TEST(ActionAttemptPlanner, ClickPointsNeedUsableFiniteGeometry) {
    EXPECT_EQ(Planner::coordinateClickPoint(CGRect(-100, -50, 20, 10)), (CGPoint{-90, -45}));
    for (const auto& rect :
         {CGRect(10, 10, 0, 24), CGRect::null(), CGRect(nan, 0, 10, 10), CGRect(0, 0, inf, 10)}) {
        EXPECT_EQ(Planner::coordinateClickPoint(rect), std::nullopt);
    }
    EXPECT_EQ(Planner::coordinateClickPoint(std::nullopt), std::nullopt);

    EXPECT_EQ(Planner::axClickPoint(CGPoint{100, 0}, CGSize{20, 24}), (CGPoint{110, 12}));
    struct Row {
        const char* name;
        std::optional<CGPoint> position;
        std::optional<CGSize> size;
    };
    const Row rows[] = {
        {"zero height", CGPoint{0, 0}, CGSize{10, 0}},
        {"negative width", CGPoint{0, 0}, CGSize{-10, 5}},
        {"no size", CGPoint{0, 0}, std::nullopt},
        {"no position", std::nullopt, CGSize{10, 10}},
        {"NaN size", CGPoint{0, 0}, CGSize{nan, 10}},
        {"infinite size", CGPoint{0, 0}, CGSize{10, inf}},
        {"NaN position", CGPoint{nan, 0}, CGSize{10, 10}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Planner::axClickPoint(row.position, row.size), std::nullopt) << row.name;
    }
}

TEST(ActionAttemptPlanner, OnlyHiddenOrOffscreenItemsNeedAReveal) {
    using enum VisibilityClassification;
    EXPECT_TRUE(Planner::requiresVisibilityReveal(hiddenBehindNotch));
    EXPECT_TRUE(Planner::requiresVisibilityReveal(pushedOffscreen));
    EXPECT_FALSE(Planner::requiresVisibilityReveal(visible));
    EXPECT_FALSE(Planner::requiresVisibilityReveal(unknown));
}

} // namespace
