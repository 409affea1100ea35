#include "Parlowen/QuickOpen/QuickOpenListPlanner.h"

#include "Parlowen/QuickOpen/QuickOpenCandidate.h"
#include "Parlowen/QuickOpen/QuickOpenSearchMatcher.h"
#include "Parlowen/Settings/L10n.h"
#include "core/StableMergeSort.h"

#include <algorithm>
#include <limits>
#include <unordered_map>
#include <unordered_set>

namespace Parlowen::QuickOpenListPlanner {

namespace {

using QelCore::stableMergeSort;

// Identity text to the index of its first occurrence.
using IdentityOrder = std::unordered_map<std::string_view, std::size_t>;

constexpr std::size_t notInOrder = std::numeric_limits<std::size_t>::max();

IdentityOrder orderedIdentityMap(const std::vector<MenuBarItemStableIdentity>& identities) {
    IdentityOrder order;
    for (std::size_t index = 0; index < identities.size(); ++index) {
        order.try_emplace(identities[index].rawValue, index);
    }
    return order;
}

// The index of the candidate's version-2 identity, else of its version-1 identity.
std::size_t position(const QuickOpenCandidate& candidate, const IdentityOrder& order) {
    if (const auto found = order.find(candidate.keys->v2.rawValue); found != order.end()) {
        return found->second;
    }
    if (const auto found = order.find(candidate.keys->v1.rawValue); found != order.end()) {
        return found->second;
    }
    return notInOrder;
}

QuickOpenSection section(QuickOpenSectionKind kind, const std::vector<QuickOpenCandidate>& rows) {
    QuickOpenSection result{kind, {}, {}};
    switch (kind) {
    case QuickOpenSectionKind::hiddenNow:
        result.title = L10n::string("quick_open.section.hidden_now", "Hidden now");
        break;
    case QuickOpenSectionKind::favorites:
        result.title = L10n::string("quick_open.section.favorites", "Favorites");
        break;
    case QuickOpenSectionKind::recent:
        result.title = L10n::string("quick_open.section.recent", "Recent");
        break;
    case QuickOpenSectionKind::menuBarApps:
        result.title = L10n::string("quick_open.section.menu_bar_apps", "Menu bar apps");
        break;
    case QuickOpenSectionKind::results:
        result.title = L10n::string("quick_open.section.results", "Results");
        break;
    }
    result.items.reserve(rows.size());
    for (const auto& row : rows) {
        result.items.push_back(*row.record);
    }
    return result;
}

// Appends the section only when it has rows.
void appendSection(std::vector<QuickOpenSection>& sections, QuickOpenSectionKind kind,
                   const std::vector<QuickOpenCandidate>& rows) {
    if (!rows.empty()) {
        sections.push_back(section(kind, rows));
    }
}

// Rows placed by their position in `order`, nearest first.
void sortByPosition(std::vector<QuickOpenCandidate>& rows, const IdentityOrder& order) {
    stableMergeSort(rows, [&](const QuickOpenCandidate& lhs, const QuickOpenCandidate& rhs) {
        return position(lhs, order) < position(rhs, order);
    });
}

std::vector<QuickOpenSection>
smartFocusedSections(const std::vector<QuickOpenCandidate>& candidates, OverflowPanelScope scope,
                     const std::vector<MenuBarItemStableIdentity>& recentIdentities,
                     const std::vector<MenuBarItemStableIdentity>& favoriteIdentities) {
    std::vector<QuickOpenCandidate> hidden;
    std::vector<QuickOpenCandidate> favorites;
    std::vector<QuickOpenCandidate> recents;
    std::vector<QuickOpenCandidate> others;
    const IdentityOrder favoriteOrder = orderedIdentityMap(favoriteIdentities);
    const IdentityOrder recentOrder = orderedIdentityMap(recentIdentities);
    // Candidates hold one record per version-2 identity, so each lands in one list only.
    for (const auto& candidate : candidates) {
        if (candidate.hidden) {
            hidden.push_back(candidate);
        } else if (position(candidate, favoriteOrder) != notInOrder) {
            favorites.push_back(candidate);
        } else if (position(candidate, recentOrder) != notInOrder) {
            recents.push_back(candidate);
        } else {
            others.push_back(candidate);
        }
    }
    stableMergeSort(hidden, panelSort);
    std::vector<QuickOpenSection> sections;
    appendSection(sections, QuickOpenSectionKind::hiddenNow, hidden);
    if (scope != OverflowPanelScope::allRightSide) {
        return sections;
    }
    sortByPosition(favorites, favoriteOrder);
    sortByPosition(recents, recentOrder);
    stableMergeSort(others, panelSort);
    appendSection(sections, QuickOpenSectionKind::favorites, favorites);
    appendSection(sections, QuickOpenSectionKind::recent, recents);
    appendSection(sections, QuickOpenSectionKind::menuBarApps, others);
    return sections;
}

struct SearchMatch {
    QuickOpenCandidate candidate;
    int quality = 0;
    bool favorite = false;
};

bool searchSort(const SearchMatch& lhs, const SearchMatch& rhs) {
    if (lhs.quality != rhs.quality) {
        return lhs.quality < rhs.quality;
    }
    if (lhs.favorite != rhs.favorite) {
        return lhs.favorite;
    }
    if (lhs.candidate.hidden != rhs.candidate.hidden) {
        return lhs.candidate.hidden;
    }
    return panelSort(lhs.candidate, rhs.candidate);
}

std::vector<QuickOpenSection>
searchResults(const std::vector<QuickOpenCandidate>& candidates, std::string_view query,
              const std::vector<MenuBarItemStableIdentity>& favoriteIdentities) {
    const IdentityOrder favoriteOrder = orderedIdentityMap(favoriteIdentities);
    std::vector<SearchMatch> matches;
    for (const auto& candidate : candidates) {
        if (const auto quality =
                QuickOpenSearchMatcher::matchQuality(candidate.keys->searchFields, query)) {
            matches.push_back(
                {candidate, *quality, position(candidate, favoriteOrder) != notInOrder});
        }
    }
    stableMergeSort(matches, searchSort);
    std::vector<QuickOpenCandidate> rows;
    rows.reserve(matches.size());
    for (const auto& match : matches) {
        rows.push_back(match.candidate);
    }
    std::vector<QuickOpenSection> sections;
    appendSection(sections, QuickOpenSectionKind::results, rows);
    return sections;
}

} // namespace

std::vector<QuickOpenSection>
makeSections(const std::vector<AXMenuBarItemRecord>& items,
             const std::vector<QelCore::ScreenSnapshot>&, OverflowPanelScope scope,
             std::string_view query, const std::vector<MenuBarItemStableIdentity>& recentIdentities,
             const std::vector<MenuBarItemStableIdentity>& favoriteIdentities) {
    const auto candidates = deduplicated(admittedCandidates(items, scope));
    const std::string foldedQuery = QuickOpenSearchMatcher::foldedForm(query);
    if (foldedQuery.empty()) {
        return smartFocusedSections(candidates, scope, recentIdentities, favoriteIdentities);
    }
    return searchResults(candidates, foldedQuery, favoriteIdentities);
}

std::int64_t displayableHiddenCount(const std::vector<AXMenuBarItemRecord>& items,
                                    const std::vector<QelCore::ScreenSnapshot>&) {
    // The hidden-only scope admits hidden records alone, and the browsing sections of an empty
    // search list each of them once, so counting the candidates needs no sections.
    const auto candidates = deduplicated(admittedCandidates(items, OverflowPanelScope::hiddenOnly));
    return std::count_if(candidates.begin(), candidates.end(),
                         [](const QuickOpenCandidate& candidate) { return candidate.hidden; });
}

} // namespace Parlowen::QuickOpenListPlanner
