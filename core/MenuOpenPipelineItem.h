#pragma once

#include "core/ActionAttemptLog.h"
#include "core/ScreenSnapshot.h"
#include "core/VisibilityClassification.h"

#include <optional>
#include <string>
#include <vector>

namespace QelCore {

// One item handed to the menu-open pipeline. `Item` is the caller's own record, passed back to
// the executors and never read by the pipeline.
template <typename Item> struct MenuOpenPipelineItem {
    std::string id;
    Item item;
    // The Accessibility action names the item advertises.
    std::vector<std::string> actions;
    // Accessibility geometry: top-left corner and size, top-left-origin screen coordinates.
    std::optional<CGPoint> position;
    std::optional<CGSize> size;
    VisibilityClassification classification = VisibilityClassification::unknown;
};

// What the reveal executor answers: the log of the reveal and the item as found again after it,
// absent when it was not found.
template <typename Item> struct MenuOpenPipelineRevealResult {
    ActionAttemptLog attempt;
    std::optional<MenuOpenPipelineItem<Item>> revealedItem;
};

} // namespace QelCore
