#pragma once

#include "platform/DistributedNotificationCenter.h"
#include "platform/Logger.h"
#include "platform/RunningCopies.h"

#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>

namespace platform::native {

// The running copies of this user's programs, as files "copy-<pid>.json" in the per-user
// folder. Only a registry made with a registration (the product and debug runs, never tests,
// snapshots or smoke runs) writes an entry, so nothing else can make a real launch quit. A copy
// counts as terminated once its process is gone or its id belongs to a newer process; such
// entries are removed when read. Activating a copy asks it over the distributed notifications
// to come forward.
class RunningCopiesRegistry final : public RunningCopies {
public:
    // The notification that asks a copy to come forward: user info "pid" and "options".
    static constexpr std::string_view activateNotification =
        "app.tessaline.Tessaline.running-copy.activate";

    struct Registration {
        std::string bundleIdentifier;
        WallTime launchDate;
    };

    RunningCopiesRegistry(std::optional<std::filesystem::path> folder,
                          DistributedNotificationCenter& notifications, const Logger& logger,
                          std::optional<Registration> thisProcess);
    ~RunningCopiesRegistry() override;
    RunningCopiesRegistry(const RunningCopiesRegistry&) = delete;
    RunningCopiesRegistry& operator=(const RunningCopiesRegistry&) = delete;

    std::vector<RunningCopy> runningApplications(std::string_view bundleIdentifier) override;
    bool isTerminated(pid_t pid) override;
    bool activate(pid_t pid, NSApplicationActivationOptions options) override;

    // What this copy does when another asks it to come forward (a registered copy only).
    void setActivationHandler(std::function<void(NSApplicationActivationOptions)> handler);

private:
    struct Entry {
        RunningCopy copy;
        std::optional<unsigned long long> startTime;
    };

    std::vector<Entry> readEntries();
    std::filesystem::path entryPath(pid_t pid) const;

    const std::optional<std::filesystem::path> folder_;
    DistributedNotificationCenter& notifications_;
    const Logger logger_;
    bool registered_ = false;
    ObserverToken observer_ = 0;
    std::mutex mutex_;
    std::function<void(NSApplicationActivationOptions)> activationHandler_;
};

} // namespace platform::native
