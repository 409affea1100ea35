#pragma once

#include "Parlowen/Items/ScanSnapshot.h"
#include "core/ScreenSnapshot.h"
#include "platform/PlatformServices.h"

#include <optional>
#include <vector>

// Reads every menu-bar element of every running application through Accessibility, places each
// on a screen, classifies it, names its owner and display name, decides whether it is a status
// item worth listing, and returns the whole as one snapshot. Stateless: it may run on any
// thread, and callers off the main thread pass screens read on the main thread.
namespace Parlowen::MenuBarScanner {

// One scan. Never fails: what cannot be read is left out or noted on the record. Without
// `prefetchedScreens` the screens are read from the displays. With `renderedFrameAssistEnabled`
// a menu extra takes the frame of its status window from the window list.
ScanSnapshot scan(const platform::PlatformServices& services,
                  const std::optional<std::vector<QelCore::ScreenSnapshot>>& prefetchedScreens,
                  bool renderedFrameAssistEnabled);

// The ordering of the records: status candidates with frames from right to left, otherwise by
// app name and then title (byte-wise). Not a strict weak order when the two kinds mix, so it is
// applied with a merge sort that is defined for any comparison.
bool comesBefore(const AXMenuBarItemRecord& a, const AXMenuBarItemRecord& b);

} // namespace Parlowen::MenuBarScanner
