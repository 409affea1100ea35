#include "core/MenuBarVisibilityRevealPlanner.h"

#include "core/ActionAttemptPlanner.h"

#include <algorithm>

namespace QelCore::MenuBarVisibilityRevealPlanner {

namespace {

// How far past a display's left or right edge an item still counts as on that display.
constexpr CGFloat screenEdgeSlack = 240;
// How far left of the hidden item's left edge the neighbour's centre is dropped.
constexpr CGFloat dropOffset = 8;

bool usableSize(const std::optional<CGSize>& size) {
    return size && size->isFinite() && size->width > 0 && size->height > 0;
}

bool usableFrame(const std::optional<CGRect>& frame) {
    return frame && frame->isFinite() && !frame->isEmpty();
}

bool usablePosition(const std::optional<CGPoint>& position) {
    return position && position->isFinite();
}

const ScreenSnapshot* matchingScreen(const CGRect& frame,
                                     const std::vector<ScreenSnapshot>& screens) {
    const auto match = std::find_if(screens.begin(), screens.end(), [&](const auto& screen) {
        const CGRect widened{screen.frame.minX() - screenEdgeSlack, screen.frame.minY(),
                             screen.frame.width() + 2 * screenEdgeSlack, screen.frame.height()};
        return screen.frame.intersects(frame) || screen.auxiliaryTopLeftArea.intersects(frame) ||
               screen.auxiliaryTopRightArea.intersects(frame) || widened.intersects(frame);
    });
    return match == screens.end() ? nullptr : &*match;
}

} // namespace

std::optional<MenuBarVisibilityRevealPlan> displacementPlan(
    const std::optional<CGPoint>& targetPosition, const std::optional<CGSize>& targetSize,
    const std::optional<CGRect>& targetFrame, VisibilityClassification targetClassification,
    const std::optional<CGPoint>& candidatePosition, const std::optional<CGSize>& candidateSize,
    const std::optional<CGRect>& candidateFrame, VisibilityClassification candidateClassification,
    const std::vector<ScreenSnapshot>& screens) {
    if (!ActionAttemptPlanner::requiresVisibilityReveal(targetClassification) ||
        candidateClassification != VisibilityClassification::visible ||
        !usablePosition(targetPosition) || !usableSize(targetSize) || !usableFrame(targetFrame) ||
        !usablePosition(candidatePosition) || !usableSize(candidateSize) ||
        !usableFrame(candidateFrame)) {
        return std::nullopt;
    }
    if (!(targetFrame->maxX() < candidateFrame->minX())) {
        return std::nullopt;
    }
    const ScreenSnapshot* screen = matchingScreen(*targetFrame, screens);
    const ScreenSnapshot* candidateScreen = matchingScreen(*candidateFrame, screens);
    if (screen == nullptr || candidateScreen == nullptr || !(*screen == *candidateScreen)) {
        return std::nullopt;
    }

    const CGFloat halfWidth = candidateSize->width * 0.5;
    const CGFloat centreY = candidatePosition->y + candidateSize->height * 0.5;
    const CGFloat endX = std::max(screen->frame.minX() + halfWidth, targetPosition->x - dropOffset);
    const MenuBarVisibilityRevealPlan plan{{candidatePosition->x + halfWidth, centreY},
                                           {endX, centreY},
                                           {endX - halfWidth, candidatePosition->y}};
    // A display with a non-finite frame can still match through its auxiliary areas.
    if (!plan.startPoint.isFinite() || !plan.endPoint.isFinite() || !plan.targetOrigin.isFinite()) {
        return std::nullopt;
    }
    return plan;
}

} // namespace QelCore::MenuBarVisibilityRevealPlanner
