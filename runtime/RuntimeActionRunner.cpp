#include "runtime/RuntimeActionRunner.h"

#include "runtime/NeighborDisplacementReveal.h"
#include "runtime/PreferredActions.h"
#include "runtime/RuntimeItemIdentity.h"
#include "runtime/RuntimeMenuBarScanner.h"

#include <thread>

namespace QelRuntime::RuntimeActionRunner {

std::vector<QelCore::ActionAttemptLog>
runPreferredActions(const platform::PlatformServices& services,
                    const RuntimeAXMenuBarItemRecord& item) {
    using Record = RuntimeAXMenuBarItemRecord;
    const NeighborDisplacementReveal<RuntimeScanSnapshot, RuntimeItemIdentity> reveal(
        services, [&services] { return RuntimeMenuBarScanner::scan(services); },
        RuntimeItemIdentity::of, std::equal_to<RuntimeItemIdentity>());
    // The calling thread runs the services' main loop, as the library asks of its host.
    auto executors =
        PreferredActions::observedExecutors<Record>(services, std::this_thread::get_id());
    // No activation step: the host decides whether it comes to the front.
    executors.revealItem = [&reveal](const Record& target) {
        return reveal.displaceVisibleNeighborsToReveal(target);
    };
    return PreferredActions::run<Record>(item, pipelineItem, executors);
}

} // namespace QelRuntime::RuntimeActionRunner
