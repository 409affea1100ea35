#pragma once

#include "Parlowen/Items/AXMenuBarItemRecord.h"
#include "core/ScreenSnapshot.h"
#include "platform/Clock.h"

#include <string>
#include <vector>

namespace Parlowen {

// The result of one menu-bar scan: a plain value that holds nothing of the scanner.
struct ScanSnapshot {
    // The screens the scan used, in the order given to or captured by the scanner.
    std::vector<QelCore::ScreenSnapshot> screens;
    // Status candidates from right to left, the rest by app name and title.
    std::vector<AXMenuBarItemRecord> items;
    platform::WallTime scanStartedAt;
    // "scanStartedAt=", "screenCount=", "itemCount=" lines and one line per scanned menu bar.
    std::string summary;
};

} // namespace Parlowen
