#pragma once

#include "Parlowen/Items/AXMenuBarItemRecord.h"
#include "Parlowen/Items/ReferenceDate.h"
#include "core/VisibilityClassification.h"

#include <cstdint>
#include <optional>
#include <string>

// The panel's texts that depend on counts, times and items, localized.
namespace Parlowen::OverflowPanelCopy {

// "No hidden icons", "1 hidden icon", "3 hidden icons".
std::string title(std::int64_t hiddenCount);

// How long ago the scan started, in whole seconds rounded down: "updated just now" below 5 s
// (a scan dated in the future included), then seconds, then whole minutes.
std::string scanAge(Date scannedAt, Date now);

// The item's title, or its app name when the title is empty or "(untitled)".
std::string rowTitle(const AXMenuBarItemRecord& item);

// A note "subtitle:…" stands alone; otherwise where the item is, whether it is a favourite and
// its shortcut (`shortcutText`, already formatted), then the diagnostics when they are enabled.
std::string rowSubtitle(const AXMenuBarItemRecord& item, bool diagnosticLabelsEnabled,
                        bool isFavorite, const std::optional<std::string>& shortcutText);

// The row badge's text; none for an unknown classification.
std::optional<std::string> reason(QelCore::VisibilityClassification classification);

} // namespace Parlowen::OverflowPanelCopy
