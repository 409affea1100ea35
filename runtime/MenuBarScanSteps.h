#pragma once

#include "core/ScreenSnapshot.h"
#include "platform/PlatformServices.h"
#include "runtime/RuntimeScanSnapshot.h"

#include <optional>
#include <vector>

// The steps of one menu-bar scan, shared by the library's scanner and the application's: read
// every menu-bar element of every running application through Accessibility, place each on a
// screen, classify it, name its owner and display name, decide whether it is a status item worth
// listing, and sort. Stateless: it may run on any thread, and callers off the main thread pass
// screens read on the main thread.
namespace QelRuntime::MenuBarScanSteps {

// One scan. Never fails: what cannot be read is left out or noted on the record. Without
// `prefetchedScreens` the screens are read from the displays. With `renderedFrameAssistEnabled`
// a menu extra takes the frame of its status window from the window list.
RuntimeScanSnapshot
scan(const platform::PlatformServices& services,
     const std::optional<std::vector<QelCore::ScreenSnapshot>>& prefetchedScreens,
     bool renderedFrameAssistEnabled);

// The ordering of scanned records: status candidates with frames from right to left, otherwise
// by app name and then title (byte-wise). Not a strict weak order when the two kinds mix, so it
// is applied with a merge sort that is defined for any comparison.
template <typename Record> bool comesBefore(const Record& a, const Record& b) {
    if (a.isStatusCandidate && b.isStatusCandidate && a.frame && b.frame) {
        return a.frame->midX() > b.frame->midX();
    }
    if (a.appName != b.appName) {
        return a.appName < b.appName;
    }
    return a.title < b.title;
}

} // namespace QelRuntime::MenuBarScanSteps
