#pragma once

#include "Parlowen/Items/AXMenuBarItemRecord.h"
#include "Parlowen/QuickOpen/QuickOpenRecordKeys.h"
#include "Parlowen/Settings/OverflowPanelScope.h"

#include <memory>
#include <optional>
#include <vector>

namespace Parlowen::QuickOpenListPlanner {

// A record that the Quick Open list may show, with what its ordering and search read.
struct QuickOpenCandidate {
    // Points into the items of the list being planned.
    const AXMenuBarItemRecord* record = nullptr;
    std::shared_ptr<const QuickOpenRecordKeys> keys;
    // Classification rank: behind the notch 0, off screen 1, visible 2, unknown 3.
    int rank = 0;
    bool hidden = false;
    // The frame's horizontal centre; none without a frame or when it is not finite.
    std::optional<double> centre;
};

// The records that can be listed, in item order: status candidates that are no application menu
// and no generic system entry, and that the scope admits (`hiddenOnly`: hidden ones only).
std::vector<QuickOpenCandidate> admittedCandidates(const std::vector<AXMenuBarItemRecord>& items,
                                                   OverflowPanelScope scope);

// One candidate per version-2 identity at the place where the identity first appears: the one
// of lowest rank, at equal rank the first with a frame.
std::vector<QuickOpenCandidate> deduplicated(const std::vector<QuickOpenCandidate>& candidates);

// The panel order: lower rank first; at equal rank left to right when both have a frame, else by
// display name, localized and case-insensitive. At equal rank a framed and a frameless record
// compare by name while two framed ones compare by position, so this is not a strict weak order
// over mixed lists; it is only ever used with a sort defined for any comparison.
bool panelSort(const QuickOpenCandidate& lhs, const QuickOpenCandidate& rhs);

} // namespace Parlowen::QuickOpenListPlanner
