#pragma once

#include "platform/Clock.h"
#include "platform/UserDefaults.h"

#include <optional>
#include <string>

namespace update {

// The updater's choices in user defaults, under the update framework's keys.
class UpdaterSettings {
public:
    static constexpr const char* automaticChecksKey = "SUEnableAutomaticChecks";
    static constexpr const char* automaticDownloadsKey = "SUAutomaticallyUpdate";
    static constexpr const char* lastCheckTimeKey = "SULastCheckTime";
    static constexpr const char* checkIntervalKey = "SUScheduledCheckInterval";
    static constexpr const char* skippedVersionKey = "SUSkippedVersion";

    // One day between scheduled checks unless stored otherwise; never less than an hour.
    static constexpr double defaultCheckInterval = 86400;
    static constexpr double minimumCheckInterval = 3600;

    explicit UpdaterSettings(platform::UserDefaults& defaults) : defaults(defaults) {}

    // Whether the person has answered the question about automatic checks.
    bool hasAutomaticChecksChoice() const;
    bool automaticallyChecksForUpdates() const;
    void setAutomaticallyChecksForUpdates(bool enabled);
    // The stored wish only; whether it is allowed is the updater's question.
    bool automaticallyDownloadsUpdates() const;
    void setAutomaticallyDownloadsUpdates(bool enabled);
    // Seconds between scheduled checks: the stored value when finite and at least the minimum,
    // else the default.
    double updateCheckInterval() const;
    // When the last check started; none before the first or when the stored time is unusable.
    std::optional<platform::WallTime> lastUpdateCheckDate() const;
    void setLastUpdateCheckDate(platform::WallTime date);
    // The version the person chose to skip: scheduled checks do not offer it again.
    std::optional<std::string> skippedVersion() const;
    void setSkippedVersion(const std::string& version);

private:
    platform::UserDefaults& defaults;
};

} // namespace update
