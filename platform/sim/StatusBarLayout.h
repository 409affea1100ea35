#pragma once

#include "platform/Displays.h"
#include "platform/sim/DesktopDescription.h"

#include <vector>

// Where the simulated menu bar puts things. Rectangles named "ax" are in top-left coordinates of
// the primary display (Accessibility, window list, mouse events); screens are Cocoa rectangles.
namespace platform::sim::StatusBarLayout {

enum class Placement { visible, hiddenBehindNotch, pushedOffscreen };

// The display as NSScreen describes it.
Screen screenOf(const DisplayDescription& display);
// The display's frame in top-left coordinates.
CGRect axFrameOf(const DisplayDescription& display, CGFloat primaryHeight);
// The notch between the two menu-bar strips in top-left coordinates; null without a notch.
CGRect axNotchOf(const DisplayDescription& display, CGFloat primaryHeight);

// Status items of the given widths, laid out right to left from the primary display's right
// edge (less the margin), with nothing between them.
std::vector<CGRect> layOutStatusItems(const std::vector<CGFloat>& widths,
                                      const DisplayDescription& primary, CGFloat rightMargin);
// Application menus of the given titles, laid out left to right from the primary display's
// left edge.
std::vector<CGRect> layOutMenus(const std::vector<std::string>& titles,
                                const DisplayDescription& primary);
// Where the bar's application menus end: at the left edge of the leftmost status item that shows
// on the primary display, even in part, as a Mac's menus end before its status items begin; the
// display's right edge when no item shows.
CGFloat menusEnd(const std::vector<CGRect>& statusItemFrames, const DisplayDescription& primary);
// Where the menu of a status item opens: below the item, its left edges aligned, shifted left
// as far as needed to end at the right edge of the item's display and never past its left edge,
// as a Mac keeps menus on screen. The display is the one holding the item's centre, else the
// primary.
CGRect menuFrameOf(const CGRect& itemAxFrame, CGSize menuSize,
                   const std::vector<DisplayDescription>& displays);
// Where a status item of this frame stands on the primary display.
Placement placementOf(const CGRect& axFrame, const DisplayDescription& primary);
// Whether a point shows on some display, outside every notch.
bool isPointShown(CGPoint axPoint, const std::vector<DisplayDescription>& displays);

} // namespace platform::sim::StatusBarLayout
