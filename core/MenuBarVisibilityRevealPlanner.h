#pragma once

#include "core/ScreenSnapshot.h"
#include "core/VisibilityClassification.h"

#include <optional>
#include <vector>

namespace QelCore {

// A Command-drag that moves a visible neighbour from the right of a hidden item to just left of
// it, so that the hidden item shifts into view. Points are Accessibility (and mouse-event)
// coordinates.
struct MenuBarVisibilityRevealPlan {
    // The centre of the visible neighbour.
    CGPoint startPoint;
    CGPoint endPoint;
    // Where the neighbour's top-left corner is expected after the drag.
    CGPoint targetOrigin;

    friend bool operator==(const MenuBarVisibilityRevealPlan&,
                           const MenuBarVisibilityRevealPlan&) = default;
};

namespace MenuBarVisibilityRevealPlanner {

// The drag that displaces `candidate` past the hidden `target`, or none when the target is not
// hidden, the candidate not visible, either lacks usable or finite geometry, the candidate is
// not wholly right of the target, or the two are not on the same display. Positions and sizes
// are Accessibility values, frames and screens Cocoa values; only x values are mixed.
std::optional<MenuBarVisibilityRevealPlan> displacementPlan(
    const std::optional<CGPoint>& targetPosition, const std::optional<CGSize>& targetSize,
    const std::optional<CGRect>& targetFrame, VisibilityClassification targetClassification,
    const std::optional<CGPoint>& candidatePosition, const std::optional<CGSize>& candidateSize,
    const std::optional<CGRect>& candidateFrame, VisibilityClassification candidateClassification,
    const std::vector<ScreenSnapshot>& screens);

} // namespace MenuBarVisibilityRevealPlanner

} // namespace QelCore
