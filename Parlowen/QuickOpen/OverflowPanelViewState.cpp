#include "Parlowen/QuickOpen/OverflowPanelViewState.h"

#include "Parlowen/QuickOpen/OverflowPanelCopy.h"
#include "Parlowen/QuickOpen/QuickAccessHintFormatter.h"
#include "Parlowen/Settings/L10n.h"
#include "core/TextFolding.h"

namespace Parlowen {

bool hasSearchQuery(std::string_view query) {
    return !QelCore::TextFolding::trimmed(query).empty();
}

OverflowPanelViewState OverflowPanelViewState::make(const OverflowPanelViewInputs& inputs) {
    OverflowPanelViewState state;
    state.footer.quickAccessHint = QuickAccessHintFormatter::hint(inputs.quickAccessShortcut);

    if (inputs.availability != OverflowPanelAvailability::available) {
        const auto title = L10n::string("panel.permissions.title", "Accessibility access needed");
        state.header.title = title;
        state.content = OverflowPanelContentState::missingPermission;
        state.empty = OverflowPanelEmptyState{
            "person.crop.circle.badge.exclamationmark", title,
            L10n::string("panel.permissions.body",
                         "Tessaline needs Accessibility to read menu bar positions and open "
                         "original menu bar items. Local only: no screen recording, no "
                         "keystrokes, no uploads."),
            L10n::string("panel.permissions.open", "Open Accessibility Settings...")};
        return state;
    }

    const bool searching = hasSearchQuery(inputs.searchQuery);
    if (searching || (inputs.hiddenCount == 0 && inputs.rowCount > 0)) {
        state.header.title = L10n::string("quick_open.title", "Quick Open");
    } else {
        state.header.title = OverflowPanelCopy::title(inputs.hiddenCount);
    }

    if (inputs.rowCount > 0) {
        state.content = OverflowPanelContentState::rows;
    } else if (searching) {
        state.content = OverflowPanelContentState::searchEmpty;
        state.empty = OverflowPanelEmptyState{
            "magnifyingglass",
            L10n::string("panel.search.empty.title", "No matching menu bar apps"),
            L10n::string("panel.search.empty.body",
                         "Try another search, or switch the scope above."),
            std::nullopt};
    } else {
        state.content = OverflowPanelContentState::allClear;
        state.empty = OverflowPanelEmptyState{
            "checkmark.circle", L10n::string("panel.empty.title", "No hidden icons right now."),
            L10n::string("panel.empty.body.watching",
                         "Tessaline is still watching. If icons disappear while using a "
                         "long-menu app, they will appear here."),
            std::nullopt};
    }
    return state;
}

} // namespace Parlowen
