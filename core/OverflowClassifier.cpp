#include "core/OverflowClassifier.h"

#include <algorithm>

namespace QelCore::OverflowClassifier {

namespace {
// How far an item may reach past a screen edge before it counts as pushed off screen.
constexpr CGFloat offscreenTolerance = 4;
} // namespace

CGRect notchGap(const CGRect& left, const CGRect& right) {
    const CGFloat x = left.maxX();
    const CGFloat y = std::max(left.minY(), right.minY());
    const CGFloat width = std::max<CGFloat>(right.minX() - x, 0);
    const CGFloat height = std::max(left.height(), right.height());
    return {x, y, width, height};
}

VisibilityClassification classify(const CGRect& itemFrame, const ScreenSnapshot& screen) {
    using enum VisibilityClassification;
    const CGRect& frame = screen.frame;
    if (itemFrame.isEmpty() || !itemFrame.isFinite()) {
        return unknown;
    }
    if (itemFrame.maxX() > frame.maxX() + offscreenTolerance ||
        itemFrame.minX() < frame.minX() - offscreenTolerance) {
        return pushedOffscreen;
    }
    const CGRect& right = screen.auxiliaryTopRightArea;
    if (!right.isEmpty()) {
        if (right.contains(itemFrame)) {
            return visible;
        }
        const CGRect gap = notchGap(screen.auxiliaryTopLeftArea, right);
        if (!gap.isEmpty() && gap.intersects(itemFrame)) {
            return hiddenBehindNotch;
        }
    }
    return itemFrame.intersects(frame) ? visible : unknown;
}

} // namespace QelCore::OverflowClassifier
