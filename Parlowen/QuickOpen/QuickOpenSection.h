#pragma once

#include "Parlowen/Items/AXMenuBarItemRecord.h"

#include <string>
#include <vector>

namespace Parlowen {

// The kinds of runs of rows in the Quick Open panel, in panel order.
enum class QuickOpenSectionKind { hiddenNow, favorites, recent, menuBarApps, results };

// One titled, never empty run of panel rows of one kind, in display order.
struct QuickOpenSection {
    QuickOpenSectionKind kind = QuickOpenSectionKind::results;
    // Already localized.
    std::string title;
    std::vector<AXMenuBarItemRecord> items;
};

} // namespace Parlowen
