#pragma once

#include "platform/InMemoryBundleInfo.h"
#include "platform/ProcessEnvironment.h"
#include "platform/StandardErrorLogSink.h"
#include "platform/linux/RunningCopiesRegistry.h"
#include "platform/linux/SocketDistributedNotificationCenter.h"
#include "platform/linux/XdgAutostartLoginItems.h"

#include <filesystem>
#include <memory>
#include <optional>

namespace platform::native {

// The services this machine has, put together once at start-up for the program: the built
// bundle, standard error as the log, the given environment, the per-user folder with its
// notification sockets and running-copy registry, and the autostart entry of this executable.
struct NativeServices {
    struct Options {
        // Writes this process into the running-copy registry. Only the product and debug runs
        // set it, never tests, snapshots or smoke runs, so that nothing else makes a real
        // launch quit.
        bool registerRunningCopy = false;
    };

    NativeServices(ProcessEnvironment environment, RunLoop& mainLoop, Options options);

    ProcessEnvironment environment;
    StandardErrorLogSink log;
    std::unique_ptr<InMemoryBundleInfo> bundle;
    Logger logger;
    std::optional<std::filesystem::path> folder;
    SocketDistributedNotificationCenter distributedNotifications;
    RunningCopiesRegistry runningCopies;
    XdgAutostartLoginItems loginItems;
};

} // namespace platform::native
