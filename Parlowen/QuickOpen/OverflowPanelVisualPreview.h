#pragma once

#include "Parlowen/Items/ScanSnapshot.h"

#include <string_view>

namespace Parlowen {

// The fixed scenes that the visual snapshot mode renders of the panel.
enum class OverflowPanelVisualPreview {
    hiddenIcons,
    quickOpenNoHidden,
    quickOpenSearch,
    allClear,
    missingPermission,
};

namespace OverflowPanelVisualPreviewData {

// The note that marks a sample row (drawn with a sample icon) and the one that highlights it.
inline constexpr std::string_view sampleNote = "visual-snapshot";
inline constexpr std::string_view highlightNote = "visual-highlight";

// One notched sample display with four sample items of this process: two hidden behind the
// notch, one pushed off screen and one visible; or, without hidden items, four visible ones.
ScanSnapshot makeVisualPreviewSnapshot(bool hiddenItems);

} // namespace OverflowPanelVisualPreviewData

} // namespace Parlowen
