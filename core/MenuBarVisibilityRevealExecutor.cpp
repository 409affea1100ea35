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

platform::CGEventType eventType(MenuBarCommandDragEventKind kind) {
    switch (kind) {
    case MenuBarCommandDragEventKind::leftMouseDown:
        return platform::kCGEventLeftMouseDown;
    case MenuBarCommandDragEventKind::leftMouseDragged:
        return platform::kCGEventLeftMouseDragged;
    case MenuBarCommandDragEventKind::leftMouseUp:
        return platform::kCGEventLeftMouseUp;
    case MenuBarCommandDragEventKind::mouseMoved:
        break;
    }
    return platform::kCGEventMouseMoved;
}

// How long the system needs to take in each kind of event before the next one.
platform::Duration pauseAfter(MenuBarCommandDragEventKind kind) {
    using std::chrono::milliseconds;
    switch (kind) {
    case MenuBarCommandDragEventKind::leftMouseDown:
        return milliseconds(80);
    case MenuBarCommandDragEventKind::leftMouseDragged:
        return milliseconds(15);
    case MenuBarCommandDragEventKind::leftMouseUp:
        return milliseconds(140);
    case MenuBarCommandDragEventKind::mouseMoved:
        break;
    }
    return milliseconds(60);
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

bool postCommandDrag(platform::Events& events, platform::Clock& clock,
                     const MenuBarVisibilityRevealPlan& plan,
                     platform::CGEventTapLocation eventTap) {
    const auto cursor = events.createEvent(nullptr);
    const auto recipe = commandDragRecipe(plan, cursor ? cursor->location : plan.startPoint);
    const platform::CGDirectDisplayID display = events.mainDisplayID();
    bool cursorHidden = false;
    bool buttonHeld = false;
    bool posted = true;

    for (std::size_t i = 0; i < recipe.events.size(); ++i) {
        const auto& step = recipe.events[i];
        const bool restoringMove = i + 1 == recipe.events.size();
        if (step.kind == MenuBarCommandDragEventKind::leftMouseDown && !cursorHidden) {
            events.hideCursor(display);
            cursorHidden = true;
        }
        auto event = events.createMouseEvent(nullptr, eventType(step.kind), step.point,
                                             platform::kCGMouseButtonLeft);
        if (!event) {
            // The drag is complete once the button is up; only the cursor's return is lost.
            posted = restoringMove;
            if (buttonHeld) {
                if (auto release =
                        events.createMouseEvent(nullptr, platform::kCGEventLeftMouseUp, step.point,
                                                platform::kCGMouseButtonLeft)) {
                    events.post(eventTap, *release);
                }
            }
            break;
        }
        event->flags = step.modifiers.contains(MenuBarCommandDragModifier::command)
                           ? platform::kCGEventFlagMaskCommand
                           : 0;
        events.post(eventTap, *event);
        if (step.kind == MenuBarCommandDragEventKind::leftMouseDown) {
            buttonHeld = true;
        } else if (step.kind == MenuBarCommandDragEventKind::leftMouseUp) {
            buttonHeld = false;
        }
        if (!restoringMove) {
            clock.sleep(pauseAfter(step.kind));
        }
    }
    if (cursorHidden) {
        events.showCursor(display);
    }
    return posted;
}

} // namespace QelCore::MenuBarVisibilityRevealExecutor
