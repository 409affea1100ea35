#include "core/MenuBarVisibilityRevealExecutor.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using namespace QelCore;
using enum VisibilityClassification;
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

const std::vector<ScreenSnapshot> screens{
    {"Built-in", {0, 0, 1512, 982}, {0, 0, 1512, 950}, {}, {0, 950, 650, 32}, {860, 950, 652, 32}},
    {"External", {1512, 0, 1920, 1080}, {1512, 0, 1920, 1050}, {}, {}, {}}};

// A hidden target at x 900 and a visible neighbour at x 1300 on the built-in display.
struct Geometry {
    std::optional<CGPoint> targetPosition = CGPoint{900, 0};
    std::optional<CGSize> targetSize = CGSize{30, 24};
    std::optional<CGRect> targetFrame = CGRect{900, 958, 30, 24};
    VisibilityClassification targetClassification = hiddenBehindNotch;
    std::optional<CGPoint> candidatePosition = CGPoint{1300, 0};
    std::optional<CGSize> candidateSize = CGSize{30, 24};
    std::optional<CGRect> candidateFrame = CGRect{1300, 958, 30, 24};
    VisibilityClassification candidateClassification = visible;

    std::optional<MenuBarVisibilityRevealPlan> plan() const {
        return MenuBarVisibilityRevealPlanner::displacementPlan(
            targetPosition, targetSize, targetFrame, targetClassification, candidatePosition,
            candidateSize, candidateFrame, candidateClassification, screens);
    }
};

TEST(MenuBarVisibilityRevealPlanner, PlansTheDisplacementDrag) {
    EXPECT_EQ(Geometry().plan(), (MenuBarVisibilityRevealPlan{{1315, 12}, {892, 12}, {877, 0}}));
    Geometry nearLeftEdge;
    nearLeftEdge.targetPosition = CGPoint{10, 0};
    nearLeftEdge.targetFrame = CGRect{10, 958, 30, 24};
    EXPECT_EQ(nearLeftEdge.plan(), (MenuBarVisibilityRevealPlan{{1315, 12}, {15, 12}, {0, 0}}));
    Geometry pushedOff;
    pushedOff.targetClassification = pushedOffscreen;
    pushedOff.targetFrame = CGRect{1290, 958, 30, 24};
    pushedOff.candidateFrame = CGRect{1500, 958, 30, 24};
    EXPECT_TRUE(pushedOff.plan().has_value());
}

TEST(MenuBarVisibilityRevealPlanner, ItemsJustPastTheEdgeBelongToTheDisplay) {
    // One display: an item up to 240 points past its right edge still belongs to it.
    const std::vector<ScreenSnapshot> builtIn{screens.front()};
    struct Row {
        const char* name;
        CGFloat targetX;
        CGFloat candidateX;
        std::optional<MenuBarVisibilityRevealPlan> expected;
    };
    const Row rows[] = {
        {"within 240 points", 1520, 1700,
         MenuBarVisibilityRevealPlan{{1715, 12}, {1512, 12}, {1497, 0}}},
        {"beyond 240 points", 1760, 1800, std::nullopt},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(MenuBarVisibilityRevealPlanner::displacementPlan(
                      CGPoint{row.targetX, 0}, CGSize{30, 24}, CGRect{row.targetX, 958, 30, 24},
                      pushedOffscreen, CGPoint{row.candidateX, 0}, CGSize{30, 24},
                      CGRect{row.candidateX, 958, 30, 24}, visible, builtIn),
                  row.expected)
            << row.name;
    }
}

TEST(MenuBarVisibilityRevealPlanner, NoPlanWithoutUsableGeometry) {
    struct Row {
        const char* name;
        void (*change)(Geometry&);
    };
    const Row rows[] = {
        {"visible target", [](Geometry& g) { g.targetClassification = visible; }},
        {"unknown target", [](Geometry& g) { g.targetClassification = unknown; }},
        {"hidden candidate", [](Geometry& g) { g.candidateClassification = hiddenBehindNotch; }},
        {"no target position", [](Geometry& g) { g.targetPosition.reset(); }},
        {"flat target",
         [](Geometry& g) {
             g.targetSize = CGSize{30, 0};
         }},
        {"empty target frame",
         [](Geometry& g) {
             g.targetFrame = CGRect{900, 958, 0, 24};
         }},
        {"no candidate size", [](Geometry& g) { g.candidateSize.reset(); }},
        {"touching candidate",
         [](Geometry& g) {
             g.candidateFrame = CGRect{930, 958, 30, 24};
         }},
        {"candidate on another display",
         [](Geometry& g) {
             g.candidateFrame = CGRect{2000, 1056, 30, 24};
         }},
        {"NaN candidate position",
         [](Geometry& g) {
             g.candidatePosition = CGPoint{nan, 0};
         }},
        {"NaN target position",
         [](Geometry& g) {
             g.targetPosition = CGPoint{900, nan};
         }},
        {"NaN candidate size",
         [](Geometry& g) {
             g.candidateSize = CGSize{nan, 24};
         }},
        {"NaN target frame",
         [](Geometry& g) {
             g.targetFrame = CGRect{nan, 958, 30, 24};
         }},
    };
    for (const auto& row : rows) {
        Geometry geometry;
        row.change(geometry);
        EXPECT_EQ(geometry.plan(), std::nullopt) << row.name;
    }
}

TEST(MenuBarVisibilityRevealExecutor, RecipeStepsAndFlags) {
    struct Row {
        double length;
        std::size_t steps;
    };
    for (const auto& row : {Row{100, 18}, Row{300, 25}, Row{1000, 48}, Row{0, 18}, Row{nan, 18}}) {
        const MenuBarVisibilityRevealPlan plan{{1000, 12}, {1000 - row.length, 12}, {}};
        const auto recipe = MenuBarVisibilityRevealExecutor::commandDragRecipe(plan, {5, 6});
        ASSERT_EQ(recipe.events.size(), row.steps + 4) << row.length;
        EXPECT_FALSE(recipe.postsStandaloneCommandKeyEvents);
        const auto& first = recipe.events.front();
        const auto& last = recipe.events.back();
        EXPECT_EQ(first, (MenuBarCommandDragEvent{
                             MenuBarCommandDragEventKind::mouseMoved, plan.startPoint, {}}));
        EXPECT_EQ(last, (MenuBarCommandDragEvent{
                            MenuBarCommandDragEventKind::mouseMoved, CGPoint{5, 6}, {}}));
        for (std::size_t i = 1; i + 1 < recipe.events.size(); ++i) {
            EXPECT_TRUE(recipe.events[i].modifiers.contains(MenuBarCommandDragModifier::command))
                << row.length << " event " << i;
        }
        EXPECT_EQ(recipe.events[1].kind, MenuBarCommandDragEventKind::leftMouseDown);
        EXPECT_EQ(recipe.events[recipe.events.size() - 2].kind,
                  MenuBarCommandDragEventKind::leftMouseUp);
        if (row.length == row.length) {
            EXPECT_EQ(recipe.events[row.steps + 1].point, plan.endPoint) << row.length;
        }
    }
}

} // namespace
