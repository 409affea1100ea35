#include "Parlowen/Status/TessalineScanStatus.h"

#include "Parlowen/QuickOpen/QuickOpenListPlanner.h"

#include <algorithm>

namespace Parlowen {

TessalineScanStatus TessalineScanStatus::make(const ScanSnapshot& snapshot,
                                              bool isAccessibilityTrusted) {
    return {
        .hiddenCount =
            QuickOpenListPlanner::displayableHiddenCount(snapshot.items, snapshot.screens),
        .statusCandidateCount =
            std::ranges::count_if(snapshot.items, &AXMenuBarItemRecord::isStatusCandidate),
        .scannedAt = snapshot.scanStartedAt,
        .isAccessibilityTrusted = isAccessibilityTrusted,
    };
}

} // namespace Parlowen
