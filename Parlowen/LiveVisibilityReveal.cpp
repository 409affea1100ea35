#include "Parlowen/LiveVisibilityReveal.h"

#include "Parlowen/MenuBarScanner.h"
#include "core/ActionAttemptPlanner.h"
#include "core/MenuBarVisibilityRevealExecutor.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <thread>
#include <utility>

namespace Parlowen::LiveVisibilityReveal {

namespace {

namespace Planner = QelCore::ActionAttemptPlanner;
using ActionRunner::VisibilityRevealExecution;
using std::chrono::milliseconds;

constexpr int maximumPasses = 3;
constexpr auto pauseBetweenDrags = milliseconds(200);
constexpr auto settleBeforeRecheck = milliseconds(260);

// Every scan here reads fresh screens and takes status-window frames, whatever the poller's
// setting.
ScanSnapshot scan(const platform::PlatformServices& services) {
    return MenuBarScanner::scan(services, std::nullopt, true);
}

bool isInView(const AXMenuBarItemRecord& record) {
    return !Planner::requiresVisibilityReveal(record.classification);
}

bool identitiesMatch(const MenuBarItemStableIdentity& a, const MenuBarItemStableIdentity& b) {
    return a.matches(b) || b.matches(a);
}

// Keys are built once per record: building one folds texts, and a reveal compares many.
const AXMenuBarItemRecord* firstMatch(const std::vector<AXMenuBarItemRecord>& records,
                                      const MenuBarItemStableIdentity& itemKey) {
    const auto found = std::find_if(records.begin(), records.end(), [&](const auto& record) {
        return identitiesMatch(MenuBarItemStableIdentity::of(record), itemKey);
    });
    return found == records.end() ? nullptr : &*found;
}

VisibilityRevealExecution movedIntoView(AXMenuBarItemRecord record) {
    return {std::string(Planner::visibilityRevealNeighborDisplacementMovedIntoViewResult),
            std::move(record)};
}

VisibilityRevealExecution ended(std::string_view result) {
    return {std::string(result), std::nullopt};
}

double leftEdgeForOrdering(const AXMenuBarItemRecord& record) {
    if (record.frame && std::isfinite(record.frame->minX())) {
        return record.frame->minX();
    }
    return std::numeric_limits<double>::max();
}

} // namespace

bool recordsMatch(const AXMenuBarItemRecord& a, const AXMenuBarItemRecord& b) {
    return identitiesMatch(MenuBarItemStableIdentity::of(a), MenuBarItemStableIdentity::of(b));
}

VisibilityRevealExecution
revealLiveObstructedItemForCoordinateClick(const platform::PlatformServices& services,
                                           const ActionRunner::LiveSettings& settings,
                                           const AXMenuBarItemRecord& item) {
    auto& workspace = services.workspace;
    if (std::this_thread::get_id() != settings.mainThread) {
        return displaceVisibleNeighborsToReveal(services, item);
    }
    const auto previousPolicy = workspace.activationPolicy();
    workspace.setActivationPolicy(platform::NSApplicationActivationPolicyRegular);
    workspace.activateIgnoringOtherApps(true);
    workspace.activate(workspace.currentProcessIdentifier(),
                       platform::NSApplicationActivateAllWindows);
    auto execution = displaceVisibleNeighborsToReveal(services, item);
    // Regular only while a window of ours is up: otherwise the Dock icon would stay behind.
    const bool windowVisible = settings.hasVisibleWindow && settings.hasVisibleWindow();
    if (previousPolicy != platform::NSApplicationActivationPolicyRegular && !windowVisible) {
        workspace.setActivationPolicy(previousPolicy);
    }
    return execution;
}

VisibilityRevealExecution
displaceVisibleNeighborsToReveal(const platform::PlatformServices& services,
                                 const AXMenuBarItemRecord& item) {
    const auto itemKey = MenuBarItemStableIdentity::of(item);
    int passCount = 0;
    std::unordered_set<MenuBarItemStableIdentity> tried;
    bool moved = false;
    const auto notFound = [&] {
        return ended(moved ? Planner::visibilityRevealMovePostedUnconfirmedResult
                           : Planner::visibilityRevealNoPlanResult);
    };
    while (true) {
        const auto snapshot = scan(services);
        if (snapshot.items.empty()) {
            return notFound();
        }
        ++passCount;
        const auto* found = firstMatch(snapshot.items, itemKey);
        if (!found) {
            return notFound();
        }
        if (isInView(*found)) {
            return movedIntoView(*found);
        }
        const auto neighbor =
            firstVisibleNeighborDisplacementPlan(*found, snapshot.items, snapshot.screens, tried);
        if (!neighbor) {
            if (!moved) {
                return ended(Planner::visibilityRevealNoPlanResult);
            }
            if (auto rechecked = refreshedVisibleItem(services, item)) {
                return movedIntoView(std::move(*rechecked));
            }
            return ended(Planner::visibilityRevealMovePostedUnconfirmedResult);
        }
        tried.insert(neighbor->candidateIdentity);
        if (!QelCore::MenuBarVisibilityRevealExecutor::postCommandDrag(
                services.events, services.clock, neighbor->plan, platform::kCGHIDEventTap)) {
            return ended(moved ? Planner::visibilityRevealMovePostedUnconfirmedResult
                               : Planner::visibilityRevealMoveFailedResult);
        }
        if (auto rechecked = refreshedVisibleItem(services, item)) {
            return movedIntoView(std::move(*rechecked));
        }
        services.clock.sleep(pauseBetweenDrags);
        // Some systems take the drag only from the session tap; a failure here ends nothing.
        if (QelCore::MenuBarVisibilityRevealExecutor::postCommandDrag(
                services.events, services.clock, neighbor->plan, platform::kCGSessionEventTap)) {
            if (auto rechecked = refreshedVisibleItem(services, item)) {
                return movedIntoView(std::move(*rechecked));
            }
        }
        moved = true;
        if (passCount >= maximumPasses) {
            return ended(Planner::visibilityRevealMovePostedUnconfirmedResult);
        }
    }
}

std::optional<AXMenuBarItemRecord> refreshedVisibleItem(const platform::PlatformServices& services,
                                                        const AXMenuBarItemRecord& item) {
    services.clock.sleep(settleBeforeRecheck);
    const auto snapshot = scan(services);
    const auto* found = firstMatch(snapshot.items, MenuBarItemStableIdentity::of(item));
    if (!found || !isInView(*found)) {
        return std::nullopt;
    }
    return *found;
}

std::optional<NeighborDisplacementPlan> firstVisibleNeighborDisplacementPlan(
    const AXMenuBarItemRecord& target, const std::vector<AXMenuBarItemRecord>& candidates,
    const std::vector<QelCore::ScreenSnapshot>& screens,
    const std::unordered_set<MenuBarItemStableIdentity>& excluding) {
    const auto targetKey = MenuBarItemStableIdentity::of(target);
    std::vector<std::pair<const AXMenuBarItemRecord*, MenuBarItemStableIdentity>> ordered;
    for (const auto& candidate : candidates) {
        if (!candidate.isStatusCandidate) {
            continue;
        }
        auto key = MenuBarItemStableIdentity::of(candidate);
        if (!identitiesMatch(key, targetKey) && !excluding.contains(key)) {
            ordered.emplace_back(&candidate, std::move(key));
        }
    }
    std::stable_sort(ordered.begin(), ordered.end(), [](const auto& a, const auto& b) {
        return leftEdgeForOrdering(*a.first) < leftEdgeForOrdering(*b.first);
    });
    for (const auto& [candidate, key] : ordered) {
        if (const auto plan = QelCore::MenuBarVisibilityRevealPlanner::displacementPlan(
                target.position, target.size, target.frame, target.classification,
                candidate->position, candidate->size, candidate->frame, candidate->classification,
                screens)) {
            return NeighborDisplacementPlan{*plan, key};
        }
    }
    return std::nullopt;
}

} // namespace Parlowen::LiveVisibilityReveal
