#include "platform/linux/NativeServices.h"

#include "platform/linux/BuiltBundleInfo.h"
#include "platform/linux/PerUserFolder.h"

namespace platform::native {

namespace {
std::filesystem::path thisExecutable() {
    std::error_code error;
    std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : path;
}

std::optional<RunningCopiesRegistry::Registration> registrationOf(const InMemoryBundleInfo& bundle,
                                                                  const Clock& clock, bool wanted) {
    if (!wanted || !bundle.bundleIdentifier()) {
        return std::nullopt;
    }
    return RunningCopiesRegistry::Registration{*bundle.bundleIdentifier(), clock.wallNow()};
}
} // namespace

NativeServices::NativeServices(ProcessEnvironment environment, RunLoop& mainLoop, Options options)
    : environment(std::move(environment)), bundle(builtBundleInfo()),
      logger(log, mainLoop.clock(), *bundle->bundleIdentifier(), "Platform"),
      folder(PerUserFolder::prepare(PerUserFolder::defaultPath(this->environment), logger)),
      distributedNotifications(folder, mainLoop, log),
      runningCopies(folder, distributedNotifications, logger,
                    registrationOf(*bundle, mainLoop.clock(), options.registerRunningCopy)),
      loginItems(XdgAutostartLoginItems::defaultEntryPath(this->environment), thisExecutable(),
                 "Tessaline") {}

} // namespace platform::native
