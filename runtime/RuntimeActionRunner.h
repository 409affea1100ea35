#pragma once

#include "core/ActionAttemptLog.h"
#include "platform/PlatformServices.h"
#include "runtime/RuntimeAXMenuBarItemRecord.h"

#include <vector>

// The library's menu opener: the core pipeline with the live executors (Accessibility action,
// click, Escape, Command-drag reveal), fixed, with no configuration. Unlike the application it
// leaves the host's activation alone during a reveal and names items by RuntimeItemIdentity.
namespace QelRuntime::RuntimeActionRunner {

// Every attempt made to open the item's menu on `services`, in order; never empty. Blocks the
// calling thread, which must run the main loop of `services`, for all the waits.
std::vector<QelCore::ActionAttemptLog>
runPreferredActions(const platform::PlatformServices& services,
                    const RuntimeAXMenuBarItemRecord& item);

} // namespace QelRuntime::RuntimeActionRunner
