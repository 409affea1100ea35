#pragma once

#include "core/ActionAttemptPlanner.h"
#include "core/MenuBarVisibilityRevealExecutor.h"
#include "core/MenuBarVisibilityRevealPlanner.h"
#include "core/ScreenSnapshot.h"
#include "platform/PlatformServices.h"
#include "runtime/MenuOpenExecutions.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace QelRuntime {

// The first plan of the status candidates other than the target and those excluded, taken by
// the left edge of their frames (frameless ones last, ties in scan order), with the identity of
// the neighbour it drags.
template <typename Record, typename Identity>
std::optional<NeighborDisplacementPlan<Identity>> firstVisibleNeighborDisplacementPlan(
    const Record& target, const std::vector<Record>& candidates,
    const std::vector<QelCore::ScreenSnapshot>& screens,
    const std::function<Identity(const Record&)>& identityOf,
    const std::function<bool(const Identity&, const Identity&)>& sameItem,
    const std::function<bool(const Identity&)>& excluded) {
    const auto leftEdgeForOrdering = [](const Record& record) {
        if (record.frame && std::isfinite(record.frame->minX())) {
            return record.frame->minX();
        }
        return std::numeric_limits<double>::max();
    };
    const Identity targetKey = identityOf(target);
    // Keys are built once per record: building one may fold texts.
    std::vector<std::pair<const Record*, Identity>> ordered;
    for (const Record& candidate : candidates) {
        if (!candidate.isStatusCandidate) {
            continue;
        }
        Identity key = identityOf(candidate);
        if (!sameItem(key, targetKey) && !excluded(key)) {
            ordered.emplace_back(&candidate, std::move(key));
        }
    }
    std::stable_sort(ordered.begin(), ordered.end(), [&](const auto& a, const auto& b) {
        return leftEdgeForOrdering(*a.first) < leftEdgeForOrdering(*b.first);
    });
    for (const auto& [candidate, key] : ordered) {
        if (const auto plan = QelCore::MenuBarVisibilityRevealPlanner::displacementPlan(
                target.position, target.size, target.frame, target.classification,
                candidate->position, candidate->size, candidate->frame, candidate->classification,
                screens)) {
            return NeighborDisplacementPlan<Identity>{*plan, key};
        }
    }
    return std::nullopt;
}

// The live reveal of an item hidden behind the notch or pushed off screen: in up to three
// passes, Command-drag the nearest visible status item to its right past it, rescan the menu bar
// after every drag and find the item again by its identity, because a scan makes fresh records.
// Shared by the library's runner and the application's, which differ in their scan, their
// record and how they name an item. Blocks the calling thread for the drags, the sleeps and the
// scans (a little under two seconds and three scans a pass).
template <typename Snapshot, typename Identity> class NeighborDisplacementReveal {
public:
    using Record = typename decltype(Snapshot::items)::value_type;
    using Execution = VisibilityRevealExecution<Record>;
    using Plan = NeighborDisplacementPlan<Identity>;

    // `scan` reads fresh screens and records; `identityOf` names a record; `sameItem` tells
    // whether two identities name one item.
    NeighborDisplacementReveal(const platform::PlatformServices& services,
                               std::function<Snapshot()> scan,
                               std::function<Identity(const Record&)> identityOf,
                               std::function<bool(const Identity&, const Identity&)> sameItem)
        : services(services), scan(std::move(scan)), identityOf(std::move(identityOf)),
          sameItem(std::move(sameItem)) {}

    // The passes: scan, find the item, plan, drag to the HID tap, recheck, drag again to the
    // session tap, recheck.
    Execution displaceVisibleNeighborsToReveal(const Record& item) const {
        namespace Planner = QelCore::ActionAttemptPlanner;
        const Identity itemKey = identityOf(item);
        int passCount = 0;
        // Neighbours already dragged, compared by plain equality.
        std::vector<Identity> tried;
        bool moved = false;
        const auto notFound = [&] {
            return ended(moved ? Planner::visibilityRevealMovePostedUnconfirmedResult
                               : Planner::visibilityRevealNoPlanResult);
        };
        while (true) {
            const Snapshot snapshot = scan();
            if (snapshot.items.empty()) {
                return notFound();
            }
            ++passCount;
            const Record* found = firstMatch(snapshot.items, itemKey);
            if (!found) {
                return notFound();
            }
            if (isInView(*found)) {
                return movedIntoView(*found);
            }
            const auto neighbor = firstVisibleNeighborDisplacementPlan<Record, Identity>(
                *found, snapshot.items, snapshot.screens, identityOf, sameItem,
                [&](const Identity& identity) {
                    return std::find(tried.begin(), tried.end(), identity) != tried.end();
                });
            if (!neighbor) {
                if (!moved) {
                    return ended(Planner::visibilityRevealNoPlanResult);
                }
                if (auto rechecked = refreshedVisibleItem(item)) {
                    return movedIntoView(std::move(*rechecked));
                }
                return ended(Planner::visibilityRevealMovePostedUnconfirmedResult);
            }
            tried.push_back(neighbor->candidateIdentity);
            if (!QelCore::MenuBarVisibilityRevealExecutor::postCommandDrag(
                    services.events, services.clock, neighbor->plan, platform::kCGHIDEventTap)) {
                return ended(moved ? Planner::visibilityRevealMovePostedUnconfirmedResult
                                   : Planner::visibilityRevealMoveFailedResult);
            }
            if (auto rechecked = refreshedVisibleItem(item)) {
                return movedIntoView(std::move(*rechecked));
            }
            services.clock.sleep(pauseBetweenDrags);
            // Some systems take the drag only from the session tap; a failure here ends nothing.
            if (QelCore::MenuBarVisibilityRevealExecutor::postCommandDrag(
                    services.events, services.clock, neighbor->plan,
                    platform::kCGSessionEventTap)) {
                if (auto rechecked = refreshedVisibleItem(item)) {
                    return movedIntoView(std::move(*rechecked));
                }
            }
            moved = true;
            if (passCount >= maximumPasses) {
                return ended(Planner::visibilityRevealMovePostedUnconfirmedResult);
            }
        }
    }

    // After 260 ms, a fresh scan's first record naming `item`, when it is in view.
    std::optional<Record> refreshedVisibleItem(const Record& item) const {
        services.clock.sleep(settleBeforeRecheck);
        const Snapshot snapshot = scan();
        const Record* found = firstMatch(snapshot.items, identityOf(item));
        if (!found || !isInView(*found)) {
            return std::nullopt;
        }
        return *found;
    }

private:
    static constexpr int maximumPasses = 3;
    static constexpr auto pauseBetweenDrags = std::chrono::milliseconds(200);
    static constexpr auto settleBeforeRecheck = std::chrono::milliseconds(260);

    static bool isInView(const Record& record) {
        return !QelCore::ActionAttemptPlanner::requiresVisibilityReveal(record.classification);
    }

    static Execution movedIntoView(Record record) {
        return {std::string(QelCore::ActionAttemptPlanner::
                                visibilityRevealNeighborDisplacementMovedIntoViewResult),
                std::move(record)};
    }

    static Execution ended(std::string_view result) { return {std::string(result), std::nullopt}; }

    const Record* firstMatch(const std::vector<Record>& records, const Identity& itemKey) const {
        const auto found = std::find_if(records.begin(), records.end(), [&](const Record& record) {
            return sameItem(identityOf(record), itemKey);
        });
        return found == records.end() ? nullptr : &*found;
    }

    const platform::PlatformServices& services;
    std::function<Snapshot()> scan;
    std::function<Identity(const Record&)> identityOf;
    std::function<bool(const Identity&, const Identity&)> sameItem;
};

} // namespace QelRuntime
