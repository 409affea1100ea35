#pragma once

#include "Parlowen/Items/ReferenceDate.h"
#include "Parlowen/QuickOpen/OverflowPanelAvailability.h"
#include "Parlowen/Settings/OverflowPanelScope.h"

#include <cstdint>
#include <optional>
#include <string>

// The header's second line and the visibility of its scope switch, decided apart from the views.
namespace Parlowen::OverflowPanelHeader {

struct SubtitleInputs {
    OverflowPanelAvailability availability = OverflowPanelAvailability::needsAccessibility;
    bool listEmpty = true;
    // Displayable hidden items of the latest scan.
    std::int64_t hiddenCount = 0;
    bool hasSearchQuery = false;
    // The latest scan's start; none before the first scan.
    std::optional<Date> scannedAt;
    Date now;
};

// The permission hint, else the scan age while the list is empty, items are hidden or a search
// is typed, else the invitation to search.
std::string subtitle(const SubtitleInputs& inputs);

// Shown only with access, with something to switch between (the all-right-side list is not
// empty, or a search is typed) and while the stored scope is not fixed to hidden items.
bool showsScopeControl(OverflowPanelAvailability availability, bool allRightSideListEmpty,
                       bool hasSearchQuery, OverflowPanelScope storedScope);

} // namespace Parlowen::OverflowPanelHeader
