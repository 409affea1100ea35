#include "Parlowen/QuickOpen/QuickOpenCandidate.h"

#include <cmath>
#include <string_view>
#include <unordered_map>

namespace Parlowen::QuickOpenListPlanner {

namespace {

using QelCore::FixtureMenuBarItemSourceHint;
using QelCore::VisibilityClassification;

int classificationRank(VisibilityClassification classification) {
    switch (classification) {
    case VisibilityClassification::hiddenBehindNotch:
        return 0;
    case VisibilityClassification::pushedOffscreen:
        return 1;
    case VisibilityClassification::visible:
        return 2;
    case VisibilityClassification::unknown:
        return 3;
    }
    return 3;
}

std::optional<double> horizontalCentre(const std::optional<platform::CGRect>& frame) {
    if (!frame) {
        return std::nullopt;
    }
    const double centre = frame->midX();
    return std::isfinite(centre) ? std::optional<double>(centre) : std::nullopt;
}

} // namespace

std::vector<QuickOpenCandidate> admittedCandidates(const std::vector<AXMenuBarItemRecord>& items,
                                                   OverflowPanelScope scope) {
    std::vector<const AXMenuBarItemRecord*> admitted;
    for (const auto& item : items) {
        if (item.isStatusCandidate &&
            item.sourceHint != FixtureMenuBarItemSourceHint::applicationMenu &&
            (scope == OverflowPanelScope::allRightSide || QelCore::isHidden(item.classification))) {
            admitted.push_back(&item);
        }
    }
    const auto keys = QuickOpenRecordKeys::of(admitted);
    std::vector<QuickOpenCandidate> candidates;
    candidates.reserve(admitted.size());
    for (std::size_t index = 0; index < admitted.size(); ++index) {
        if (keys[index]->isGenericSystemEntry) {
            continue;
        }
        const AXMenuBarItemRecord& record = *admitted[index];
        candidates.push_back({&record, keys[index], classificationRank(record.classification),
                              isHidden(record.classification), horizontalCentre(record.frame)});
    }
    return candidates;
}

std::vector<QuickOpenCandidate> deduplicated(const std::vector<QuickOpenCandidate>& candidates) {
    std::vector<QuickOpenCandidate> kept;
    std::unordered_map<std::string_view, std::size_t> places;
    for (const auto& candidate : candidates) {
        const auto [place, isNew] = places.try_emplace(candidate.keys->v2.rawValue, kept.size());
        if (isNew) {
            kept.push_back(candidate);
            continue;
        }
        QuickOpenCandidate& current = kept[place->second];
        if (candidate.rank < current.rank ||
            (candidate.rank == current.rank && !current.centre && candidate.centre)) {
            current = candidate;
        }
    }
    return kept;
}

bool panelSort(const QuickOpenCandidate& lhs, const QuickOpenCandidate& rhs) {
    if (lhs.rank != rhs.rank) {
        return lhs.rank < rhs.rank;
    }
    if (lhs.centre && rhs.centre) {
        return *lhs.centre < *rhs.centre;
    }
    return lhs.keys->displayNameSortKey < rhs.keys->displayNameSortKey;
}

} // namespace Parlowen::QuickOpenListPlanner
