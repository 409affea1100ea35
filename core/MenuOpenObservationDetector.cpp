#include "core/MenuOpenObservationDetector.h"

#include "core/NumberText.h"

#include <algorithm>
#include <cmath>

namespace QelCore::MenuOpenObservationDetector {

namespace {

using WindowRecord = StatusItemWindowFrameIndex::WindowRecord;

// Windows up to this far apart in every edge and size are the same window.
constexpr CGFloat sameWindowTolerance = 1;
// A window at most this close to the top edge is part of the menu bar, not a menu.
constexpr CGFloat topStripMaxY = 1;

struct Candidate {
    const WindowRecord* record;
    std::string normalizedOwner;
};

// The owner's windows that could be an open menu: not status windows, not slivers, not in the
// top strip.
std::vector<Candidate> candidateOpenWindows(const std::string& normalizedAppName,
                                            const std::vector<WindowRecord>& windows,
                                            CGFloat heightLimit) {
    std::vector<Candidate> candidates;
    for (const auto& window : windows) {
        const CGRect& bounds = window.bounds;
        if (window.layer == StatusItemWindowFrameIndex::statusWindowLayer ||
            !(bounds.width() > 1) || !(bounds.height() > 1)) {
            continue;
        }
        if (bounds.minY() <= topStripMaxY && bounds.height() <= heightLimit) {
            continue;
        }
        std::string owner = StatusItemWindowFrameIndex::normalizedOwnerName(window.ownerName);
        if (StatusItemWindowFrameIndex::ownerNamesMatch(normalizedAppName, owner)) {
            candidates.push_back({&window, std::move(owner)});
        }
    }
    return candidates;
}

bool isSameWindow(const Candidate& a, const Candidate& b) {
    const CGRect& x = a.record->bounds;
    const CGRect& y = b.record->bounds;
    const auto near = [](CGFloat p, CGFloat q) { return std::fabs(p - q) <= sameWindowTolerance; };
    return StatusItemWindowFrameIndex::ownerNamesMatch(a.normalizedOwner, b.normalizedOwner) &&
           a.record->layer == b.record->layer && near(x.minX(), y.minX()) &&
           near(x.minY(), y.minY()) && near(x.width(), y.width()) && near(x.height(), y.height());
}

// A coordinate truncated toward zero, in decimal; never through an integer conversion, so
// huge and non-finite values print too ("nan", "inf").
std::string evidence(const WindowRecord& window) {
    const CGRect& b = window.bounds;
    return "owner=" + window.ownerName + " layer=" + std::to_string(window.layer) +
           " x=" + truncatedDecimal(b.minX()) + " y=" + truncatedDecimal(b.minY()) +
           " w=" + truncatedDecimal(b.width()) + " h=" + truncatedDecimal(b.height());
}

} // namespace

MenuOpenObservation observe(const std::string& appName, const std::string& title,
                            std::optional<MenuOpenEvidenceSource> primaryEvidenceSource,
                            const std::vector<WindowRecord>& before,
                            const std::vector<WindowRecord>& after,
                            const std::vector<ScreenSnapshot>& screens) {
    const std::string owner = StatusItemWindowFrameIndex::normalizedOwnerName(appName);
    const CGFloat heightLimit = StatusItemWindowFrameIndex::statusWindowHeightLimit(screens);
    const auto beforeCandidates = candidateOpenWindows(owner, before, heightLimit);
    const auto afterCandidates = candidateOpenWindows(owner, after, heightLimit);
    std::vector<const WindowRecord*> newWindows;
    for (const auto& candidate : afterCandidates) {
        const bool existed =
            std::any_of(beforeCandidates.begin(), beforeCandidates.end(),
                        [&](const Candidate& old) { return isSameWindow(old, candidate); });
        if (!existed) {
            newWindows.push_back(candidate.record);
        }
    }

    MenuOpenObservation observation{appName,
                                    title,
                                    false,
                                    MenuOpenEvidenceSource::none,
                                    "noNewOwnerWindow",
                                    "No new non-status WindowServer window matched " + appName,
                                    static_cast<std::int64_t>(beforeCandidates.size()),
                                    static_cast<std::int64_t>(afterCandidates.size()),
                                    static_cast<std::int64_t>(newWindows.size())};
    const auto source = primaryEvidenceSource.value_or(MenuOpenEvidenceSource::none);
    if (source != MenuOpenEvidenceSource::none) {
        observation.observedOpen = true;
        observation.evidenceSource = source;
        observation.confidence = toString(source);
        observation.evidence = "Positive observed-open evidence from " + toString(source);
    } else if (!newWindows.empty()) {
        observation.observedOpen = true;
        observation.evidenceSource = MenuOpenEvidenceSource::windowServerDiff;
        observation.confidence = "windowServerNewOwnerWindow";
        observation.evidence = evidence(*newWindows.front());
    }
    return observation;
}

} // namespace QelCore::MenuOpenObservationDetector
