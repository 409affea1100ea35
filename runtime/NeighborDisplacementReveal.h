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
// after every drag and find the item again, because a scan makes fresh records. Shared by the
// library's runner and the application's, which differ in their scan, their record and how they
// name an item. Blocks the calling thread for the drags, the sleeps and the scans (a little
// under two seconds and three scans a pass).
//
// Several items may share the target's identity (two Mail items with one title). A rescan tells
// them apart by the target's Accessibility element while it is still valid, else by the
// target's place among the items of its identity in scan order, as last seen; the reveal never
// drags one of them. When neither tells, the reveal ends with "ambiguous-reveal-target" rather
// than let a twin, visible or not, stand for the target.
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
        Target target{identityOf(item), item.element};
        int passCount = 0;
        // Neighbours already dragged, compared by plain equality.
        std::vector<Identity> tried;
        bool moved = false;
        const auto notFound = [&] {
            return ended(moved ? Planner::visibilityRevealMovePostedUnconfirmedResult
                               : Planner::visibilityRevealNoPlanResult);
        };
        // After 260 ms, a fresh scan's answer when it ends the reveal.
        const auto recheck = [&] {
            services.clock.sleep(settleBeforeRecheck);
            return decided(target.locate(scan().items, *this));
        };
        while (true) {
            const Snapshot snapshot = scan();
            if (snapshot.items.empty()) {
                return notFound();
            }
            ++passCount;
            const Sighting sighting = target.locate(snapshot.items, *this);
            if (auto ending = decided(sighting)) {
                return std::move(*ending);
            }
            if (!sighting.record) {
                return notFound();
            }
            const Record& found = *sighting.record;
            const auto neighbor = firstVisibleNeighborDisplacementPlan<Record, Identity>(
                found, snapshot.items, snapshot.screens, identityOf, sameItem,
                [&](const Identity& identity) {
                    return std::find(tried.begin(), tried.end(), identity) != tried.end();
                });
            if (!neighbor) {
                if (!moved) {
                    return ended(Planner::visibilityRevealNoPlanResult);
                }
                if (auto ending = recheck()) {
                    return std::move(*ending);
                }
                return ended(Planner::visibilityRevealMovePostedUnconfirmedResult);
            }
            tried.push_back(neighbor->candidateIdentity);
            if (!QelCore::MenuBarVisibilityRevealExecutor::postCommandDrag(
                    services.events, services.clock, neighbor->plan, platform::kCGHIDEventTap)) {
                return ended(moved ? Planner::visibilityRevealMovePostedUnconfirmedResult
                                   : Planner::visibilityRevealMoveFailedResult);
            }
            if (auto ending = recheck()) {
                return std::move(*ending);
            }
            services.clock.sleep(pauseBetweenDrags);
            // Some systems take the drag only from the session tap; a failure here ends nothing.
            if (QelCore::MenuBarVisibilityRevealExecutor::postCommandDrag(
                    services.events, services.clock, neighbor->plan,
                    platform::kCGSessionEventTap)) {
                if (auto ending = recheck()) {
                    return std::move(*ending);
                }
            }
            moved = true;
            if (passCount >= maximumPasses) {
                return ended(Planner::visibilityRevealMovePostedUnconfirmedResult);
            }
        }
    }

private:
    static constexpr int maximumPasses = 3;
    static constexpr auto pauseBetweenDrags = std::chrono::milliseconds(200);
    static constexpr auto settleBeforeRecheck = std::chrono::milliseconds(260);

    // What one scan says of the target: its record, nothing, or that it cannot be told apart.
    struct Sighting {
        std::optional<Record> record;
        bool ambiguous = false;
    };

    // The target as the reveal follows it from scan to scan.
    struct Target {
        Identity key;
        platform::AXUIElement element;
        // Its place among the records of its identity, and their number, when last seen by
        // its element.
        std::optional<std::size_t> place = std::nullopt;
        std::size_t twinCount = 0;

        Sighting locate(const std::vector<Record>& records,
                        const NeighborDisplacementReveal& reveal) {
            std::vector<const Record*> twins;
            for (const Record& record : records) {
                if (reveal.sameItem(reveal.identityOf(record), key)) {
                    twins.push_back(&record);
                }
            }
            for (std::size_t index = 0; index < twins.size(); ++index) {
                if (twins[index]->element == element) {
                    place = index;
                    twinCount = twins.size();
                    return {*twins[index], false};
                }
            }
            // The element is no longer valid: only the place can tell twins apart, and only
            // while their number is unchanged.
            if (place) {
                if (twins.size() == twinCount) {
                    return {*twins[*place], false};
                }
                return {std::nullopt, !twins.empty()};
            }
            if (twins.size() == 1) {
                return {*twins.front(), false};
            }
            return {std::nullopt, twins.size() > 1};
        }
    };

    // The end a sighting decides: the target not told apart from its twins, or found in view.
    static std::optional<Execution> decided(const Sighting& sighting) {
        if (sighting.ambiguous) {
            return ended(QelCore::ActionAttemptPlanner::visibilityRevealAmbiguousTargetResult);
        }
        if (sighting.record && isInView(*sighting.record)) {
            return movedIntoView(*sighting.record);
        }
        return std::nullopt;
    }

    static bool isInView(const Record& record) {
        return !QelCore::ActionAttemptPlanner::requiresVisibilityReveal(record.classification);
    }

    static Execution movedIntoView(Record record) {
        return {std::string(QelCore::ActionAttemptPlanner::
                                visibilityRevealNeighborDisplacementMovedIntoViewResult),
                std::move(record)};
    }

    static Execution ended(std::string_view result) { return {std::string(result), std::nullopt}; }

    // A copy: the bundle holds references only, so a reveal built from a temporary bundle
    // stays sound.
    const platform::PlatformServices services;
    std::function<Snapshot()> scan;
    std::function<Identity(const Record&)> identityOf;
    std::function<bool(const Identity&, const Identity&)> sameItem;
};

} // namespace QelRuntime
