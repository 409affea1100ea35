#pragma once

#include "core/MenuOpenEvidenceSource.h"
#include "core/StatusItemWindowFrameIndex.h"

#include <optional>
#include <string>
#include <vector>

namespace QelCore {

// The verdict whether an item's menu opened, with what it rests on.
struct MenuOpenObservation {
    std::string appName;
    std::string title;
    bool observedOpen = false;
    MenuOpenEvidenceSource evidenceSource = MenuOpenEvidenceSource::none;
    // A short tag of the verdict's basis.
    std::string confidence;
    // A sentence or a window description.
    std::string evidence;
    std::int64_t matchingWindowCountBefore = 0;
    std::int64_t matchingWindowCountAfter = 0;
    std::int64_t newWindowCount = 0;

    friend bool operator==(const MenuOpenObservation&, const MenuOpenObservation&) = default;
};

// Combines Accessibility evidence with the window lists captured before and after an action: a
// menu that Accessibility did not announce still shows up as a new window of its owner.
namespace MenuOpenObservationDetector {

// `before` and `after` are window records as captured (window-server bounds). A positive
// Accessibility source decides on its own; otherwise the first new non-status window of the
// owner does.
MenuOpenObservation observe(const std::string& appName, const std::string& title,
                            std::optional<MenuOpenEvidenceSource> primaryEvidenceSource,
                            const std::vector<StatusItemWindowFrameIndex::WindowRecord>& before,
                            const std::vector<StatusItemWindowFrameIndex::WindowRecord>& after,
                            const std::vector<ScreenSnapshot>& screens);

} // namespace MenuOpenObservationDetector

} // namespace QelCore
