#pragma once

#include "core/MenuBarVisibilityRevealPlanner.h"
#include "core/MenuOpenEvidenceSource.h"

#include <cstdint>
#include <optional>
#include <string>

// What the live executors of a menu opening answer, before they become attempt logs.
namespace QelRuntime {

// What performing one Accessibility action and watching for the menu gave.
struct AXActionExecution {
    std::int32_t errorCode = 0;
    bool observedOpen = false;
    QelCore::MenuOpenEvidenceSource evidenceSource = QelCore::MenuOpenEvidenceSource::none;

    friend bool operator==(const AXActionExecution&, const AXActionExecution&) = default;
};

// What posting one left click and watching for the menu gave.
struct CoordinateClickExecution {
    // Both mouse events were created and posted.
    bool posted = false;
    bool observedOpen = false;
    QelCore::MenuOpenEvidenceSource evidenceSource = QelCore::MenuOpenEvidenceSource::none;

    friend bool operator==(const CoordinateClickExecution&,
                           const CoordinateClickExecution&) = default;
};

// What a visibility reveal gave: one of the reveal result texts, and the item's fresh record
// when a rescan found it in view.
template <typename Record> struct VisibilityRevealExecution {
    std::string result;
    std::optional<Record> revealedItem;
};

// A drag, and the identity of the neighbour it moves.
template <typename Identity> struct NeighborDisplacementPlan {
    QelCore::MenuBarVisibilityRevealPlan plan;
    Identity candidateIdentity;

    friend bool operator==(const NeighborDisplacementPlan&,
                           const NeighborDisplacementPlan&) = default;
};

} // namespace QelRuntime
