#include "runtime/RuntimeActionRunner.h"

#include "runtime/NeighborDisplacementReveal.h"
#include "runtime/PreferredActions.h"
#include "runtime/RuntimeItemIdentity.h"
#include "runtime/RuntimeMenuBarScanner.h"

namespace QelRuntime::RuntimeActionRunner {

std::vector<QelCore::ActionAttemptLog>
runPreferredActions(const platform::PlatformServices& services,
                    const RuntimeAXMenuBarItemRecord& item) {
    using Record = RuntimeAXMenuBarItemRecord;
    const NeighborDisplacementReveal<RuntimeScanSnapshot, RuntimeItemIdentity> reveal(
        services, [&services] { return RuntimeMenuBarScanner::scan(services); },
        RuntimeItemIdentity::of, std::equal_to<RuntimeItemIdentity>());
    auto executors = PreferredActions::observedExecutors<Record>(services);
    // No activation step: the host decides whether it comes to the front.
    executors.revealItem = [&reveal](const Record& target) {
        return reveal.displaceVisibleNeighborsToReveal(target);
    };
    return PreferredActions::run<Record>(item, pipelineItem, executors);
}

} // namespace QelRuntime::RuntimeActionRunner
