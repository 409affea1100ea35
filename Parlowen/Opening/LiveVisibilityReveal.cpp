#include "Parlowen/Opening/LiveVisibilityReveal.h"

#include "Parlowen/Scanning/MenuBarScanner.h"
#include "runtime/NeighborDisplacementReveal.h"

#include <thread>

namespace Parlowen::LiveVisibilityReveal {

namespace {

using ActionRunner::VisibilityRevealExecution;

bool identitiesMatch(const MenuBarItemStableIdentity& a, const MenuBarItemStableIdentity& b) {
    return a.namesSameItem(b);
}

MenuBarItemStableIdentity identityOf(const AXMenuBarItemRecord& record) {
    return MenuBarItemStableIdentity::of(record);
}

// Every scan here reads fresh screens and takes status-window frames, whatever the poller's
// setting.
QelRuntime::NeighborDisplacementReveal<ScanSnapshot, MenuBarItemStableIdentity>
reveal(const platform::PlatformServices& services) {
    return {services, [services] { return MenuBarScanner::scan(services, std::nullopt, true); },
            identityOf, identitiesMatch};
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
    return reveal(services).displaceVisibleNeighborsToReveal(item);
}

std::optional<NeighborDisplacementPlan> firstVisibleNeighborDisplacementPlan(
    const AXMenuBarItemRecord& target, const std::vector<AXMenuBarItemRecord>& candidates,
    const std::vector<QelCore::ScreenSnapshot>& screens,
    const std::unordered_set<MenuBarItemStableIdentity>& excluding) {
    return QelRuntime::firstVisibleNeighborDisplacementPlan<AXMenuBarItemRecord,
                                                            MenuBarItemStableIdentity>(
        target, candidates, screens, identityOf, identitiesMatch,
        [&](const MenuBarItemStableIdentity& key) { return excluding.contains(key); });
}

} // namespace Parlowen::LiveVisibilityReveal
