#include "core/MenuBarVisibilityRevealExecutor.h"

#include <cmath>

namespace QelCore::MenuBarVisibilityRevealExecutor {

namespace {

constexpr double pointsPerDragStep = 12;
constexpr int minimumDragSteps = 18;
constexpr int maximumDragSteps = 48;

// The points of a drag from `from` to `to`, excluding `from` and ending exactly on `to`.
std::vector<CGPoint> dragSteps(CGPoint from, CGPoint to) {
    const double dx = to.x - from.x;
    const double dy = to.y - from.y;
    // Clamped as a double, so a non-finite length never reaches the integer conversion.
    const double wanted = std::ceil(std::hypot(dx, dy) / pointsPerDragStep);
    int count = minimumDragSteps;
    if (wanted > maximumDragSteps) {
        count = maximumDragSteps;
    } else if (wanted > minimumDragSteps) {
        count = static_cast<int>(wanted);
    }
    std::vector<CGPoint> steps;
    steps.reserve(static_cast<std::size_t>(count));
    for (int i = 1; i <= count; ++i) {
        const double t = static_cast<double>(i) / count;
        steps.push_back(i == count ? to : CGPoint{from.x + dx * t, from.y + dy * t});
    }
    return steps;
}

} // namespace

MenuBarCommandDragRecipe commandDragRecipe(const MenuBarVisibilityRevealPlan& plan,
                                           CGPoint restorePoint) {
    using enum MenuBarCommandDragEventKind;
    const std::set<MenuBarCommandDragModifier> command{MenuBarCommandDragModifier::command};
    MenuBarCommandDragRecipe recipe;
    recipe.events.push_back({mouseMoved, plan.startPoint, {}});
    recipe.events.push_back({leftMouseDown, plan.startPoint, command});
    for (const CGPoint step : dragSteps(plan.startPoint, plan.endPoint)) {
        recipe.events.push_back({leftMouseDragged, step, command});
    }
    recipe.events.push_back({leftMouseUp, plan.endPoint, command});
    recipe.events.push_back({mouseMoved, restorePoint, {}});
    return recipe;
}

} // namespace QelCore::MenuBarVisibilityRevealExecutor
