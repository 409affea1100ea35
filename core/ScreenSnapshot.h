#pragma once

#include "platform/Geometry.h"

#include <string>

namespace QelCore {

using platform::CGFloat;
using platform::CGPoint;
using platform::CGRect;
using platform::CGSize;

// The safe-area insets of a display as the platform reports them.
struct EdgeInsetsSnapshot {
    CGFloat top = 0;
    CGFloat left = 0;
    CGFloat bottom = 0;
    CGFloat right = 0;

    friend bool operator==(const EdgeInsetsSnapshot&, const EdgeInsetsSnapshot&) = default;
};

// One display of one scan, in Cocoa screen coordinates. The notch is the gap between the two
// auxiliary top areas; a display without one carries empty auxiliary rectangles.
struct ScreenSnapshot {
    std::string id;
    CGRect frame;
    CGRect visibleFrame;
    EdgeInsetsSnapshot safeAreaInsets;
    CGRect auxiliaryTopLeftArea;
    CGRect auxiliaryTopRightArea;

    friend bool operator==(const ScreenSnapshot&, const ScreenSnapshot&) = default;
};

} // namespace QelCore
