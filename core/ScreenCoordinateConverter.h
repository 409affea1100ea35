#pragma once

#include "core/ScreenSnapshot.h"

#include <optional>
#include <vector>

// Flips between Accessibility geometry (origin at the top left of the primary display, y down)
// and Cocoa geometry (origin at its bottom left, y up).
namespace QelCore::ScreenCoordinateConverter {

// Null and empty rectangles come back unchanged.
CGRect axRectToCocoa(const CGRect& rect, CGFloat primaryScreenHeight);
CGPoint axPointToCocoa(CGPoint point, CGFloat primaryScreenHeight);

// The first screen whose frame starts at (0, 0), else the first screen; none for an empty list.
std::optional<ScreenSnapshot> primaryScreen(const std::vector<ScreenSnapshot>& screens);
// The primary screen's frame height, 0 for an empty list.
CGFloat primaryScreenHeight(const std::vector<ScreenSnapshot>& screens);

} // namespace QelCore::ScreenCoordinateConverter
