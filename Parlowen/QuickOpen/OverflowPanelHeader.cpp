#include "Parlowen/QuickOpen/OverflowPanelHeader.h"

#include "Parlowen/QuickOpen/OverflowPanelCopy.h"
#include "Parlowen/Settings/L10n.h"

namespace Parlowen::OverflowPanelHeader {

std::string subtitle(const SubtitleInputs& inputs) {
    if (inputs.availability != OverflowPanelAvailability::available) {
        return L10n::string("panel.permissions.subtitle",
                            "Grant access to search and open menu bar apps");
    }
    if (inputs.listEmpty || inputs.hiddenCount > 0 || inputs.hasSearchQuery) {
        if (!inputs.scannedAt) {
            return L10n::string("panel.scan.waiting", "Waiting for first scan");
        }
        return OverflowPanelCopy::scanAge(*inputs.scannedAt, inputs.now);
    }
    return L10n::string("quick_open.subtitle", "Search menu bar apps or choose one below");
}

bool showsScopeControl(OverflowPanelAvailability availability, bool allRightSideListEmpty,
                       bool hasSearchQuery, OverflowPanelScope storedScope) {
    return availability == OverflowPanelAvailability::available &&
           (!allRightSideListEmpty || hasSearchQuery) &&
           storedScope != OverflowPanelScope::hiddenOnly;
}

} // namespace Parlowen::OverflowPanelHeader
