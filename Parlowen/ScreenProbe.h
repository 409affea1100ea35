#pragma once

#include "core/ScreenSnapshot.h"
#include "platform/Displays.h"

#include <string>
#include <vector>

// The displays as screen snapshots, and their diagnostic text.
namespace Parlowen::ScreenProbe {

// One snapshot per display, in the system's order; ids are the display's name, "#" and its
// index. A display without a notch has zero auxiliary areas. Read afresh on every call.
std::vector<QelCore::ScreenSnapshot> captureScreens(platform::Displays& displays);

// Six lines per screen ("screen=", then indented frame, visibleFrame, safeAreaInsets and the two
// auxiliary areas), blocks joined by one newline; empty for no screens.
std::string describe(const std::vector<QelCore::ScreenSnapshot>& screens);

} // namespace Parlowen::ScreenProbe
