#pragma once

#include "core/ScreenSnapshot.h"
#include "platform/Displays.h"

#include <string>
#include <vector>

// The displays as screen snapshots, their diagnostic text, and the screen an item lies on.
namespace QelRuntime::RuntimeScreenProbe {

// One snapshot per display, in the system's order; ids are the display's name, "#" and its
// index. A display without a notch has zero auxiliary areas. Read afresh on every call.
std::vector<QelCore::ScreenSnapshot> captureScreens(platform::Displays& displays);

// Six lines per screen ("screen=", then indented frame, visibleFrame, safeAreaInsets and the two
// auxiliary areas), blocks joined by one newline; empty for no screens.
std::string describe(const std::vector<QelCore::ScreenSnapshot>& screens);

// The first screen whose frame, or else whose right auxiliary area, meets `rect`; null when none
// does. The answer points into `screens`.
const QelCore::ScreenSnapshot* matchingScreen(const platform::CGRect& rect,
                                              const std::vector<QelCore::ScreenSnapshot>& screens);

} // namespace QelRuntime::RuntimeScreenProbe
