#pragma once

#include "core/ScreenSnapshot.h"
#include "platform/Clock.h"
#include "runtime/RuntimeAXMenuBarItemRecord.h"

#include <string>
#include <vector>

namespace QelRuntime {

// The result of one scan of the library's scanner.
struct RuntimeScanSnapshot {
    // The screens the scan used.
    std::vector<QelCore::ScreenSnapshot> screens;
    // Status candidates from right to left, the rest by app name and title.
    std::vector<RuntimeAXMenuBarItemRecord> items;
    platform::WallTime scanStartedAt;
    // "scanStartedAt=", "screenCount=", "itemCount=" lines and one line per scanned menu bar.
    std::string summary;
};

} // namespace QelRuntime
