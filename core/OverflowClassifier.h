#pragma once

#include "core/ScreenSnapshot.h"
#include "core/VisibilityClassification.h"

namespace QelCore::OverflowClassifier {

// Whether an item with this Cocoa frame is visible, hidden behind the display's notch, pushed
// off the screen, or of unknown position. A frame with a non-finite component is unknown.
VisibilityClassification classify(const CGRect& itemFrame, const ScreenSnapshot& screen);

// The gap between the two auxiliary top areas, possibly empty.
CGRect notchGap(const CGRect& auxiliaryTopLeftArea, const CGRect& auxiliaryTopRightArea);

} // namespace QelCore::OverflowClassifier
