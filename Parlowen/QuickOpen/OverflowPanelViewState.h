#pragma once

#include "Parlowen/QuickOpen/OverflowPanelAvailability.h"
#include "Parlowen/Settings/QuickAccessModifierShortcut.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Parlowen {

struct OverflowPanelHeaderState {
    std::string title;

    friend bool operator==(const OverflowPanelHeaderState&,
                           const OverflowPanelHeaderState&) = default;
};

// What fills the panel below the header: the rows, or one of three empty states.
enum class OverflowPanelContentState { rows, allClear, searchEmpty, missingPermission };

struct OverflowPanelEmptyState {
    // The name of the symbol drawn above the texts.
    std::string symbolName;
    std::string title;
    std::string body;
    // No action button without a title.
    std::optional<std::string> actionTitle;

    friend bool operator==(const OverflowPanelEmptyState&,
                           const OverflowPanelEmptyState&) = default;
};

struct OverflowPanelFooterState {
    std::string quickAccessHint;

    friend bool operator==(const OverflowPanelFooterState&,
                           const OverflowPanelFooterState&) = default;
};

// The panel's inputs that decide what it shows.
struct OverflowPanelViewInputs {
    // Of the latest scan (`QuickOpenListPlanner::displayableHiddenCount`); 0 without one.
    std::int64_t hiddenCount = 0;
    std::size_t rowCount = 0;
    // As typed.
    std::string_view searchQuery;
    // Overridden by the visual preview while it renders.
    OverflowPanelAvailability availability = OverflowPanelAvailability::needsAccessibility;
    QuickAccessModifierShortcut quickAccessShortcut = QuickAccessModifierShortcut::option;
};

// Which content the panel shows, with its header title, empty state and footer hint. Derived
// afresh on every render, so it never goes stale against the rows.
struct OverflowPanelViewState {
    OverflowPanelHeaderState header;
    OverflowPanelContentState content = OverflowPanelContentState::allClear;
    // Present for every content but `rows`.
    std::optional<OverflowPanelEmptyState> empty;
    OverflowPanelFooterState footer;

    // Missing permission wins over everything; then rows, then a search without match, then the
    // all-clear state.
    static OverflowPanelViewState make(const OverflowPanelViewInputs& inputs);

    friend bool operator==(const OverflowPanelViewState&, const OverflowPanelViewState&) = default;
};

// A query counts only when something is left after trimming white space and newlines.
bool hasSearchQuery(std::string_view query);

} // namespace Parlowen
