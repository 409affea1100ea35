#include "update/UpdaterSettings.h"

#include "platform/ReferenceDate.h"

#include <cmath>

namespace update {

bool UpdaterSettings::hasAutomaticChecksChoice() const {
    const auto value = defaults.objectForKey(automaticChecksKey);
    return value && std::holds_alternative<bool>(*value);
}

bool UpdaterSettings::automaticallyChecksForUpdates() const {
    return defaults.boolForKey(automaticChecksKey);
}

void UpdaterSettings::setAutomaticallyChecksForUpdates(bool enabled) {
    defaults.set(automaticChecksKey, enabled);
}

bool UpdaterSettings::automaticallyDownloadsUpdates() const {
    return defaults.boolForKey(automaticDownloadsKey);
}

void UpdaterSettings::setAutomaticallyDownloadsUpdates(bool enabled) {
    defaults.set(automaticDownloadsKey, enabled);
}

double UpdaterSettings::updateCheckInterval() const {
    const auto value = defaults.objectForKey(checkIntervalKey);
    if (!value) {
        return defaultCheckInterval;
    }
    const double interval = defaults.doubleForKey(checkIntervalKey);
    return std::isfinite(interval) && interval >= minimumCheckInterval ? interval
                                                                       : defaultCheckInterval;
}

std::optional<platform::WallTime> UpdaterSettings::lastUpdateCheckDate() const {
    if (!defaults.objectForKey(lastCheckTimeKey)) {
        return std::nullopt;
    }
    return platform::ReferenceDate::fromSecondsSinceReferenceDate(
        defaults.doubleForKey(lastCheckTimeKey));
}

void UpdaterSettings::setLastUpdateCheckDate(platform::WallTime date) {
    defaults.set(lastCheckTimeKey, platform::ReferenceDate::secondsSinceReferenceDate(date));
}

std::optional<std::string> UpdaterSettings::skippedVersion() const {
    return defaults.stringForKey(skippedVersionKey);
}

void UpdaterSettings::setSkippedVersion(const std::string& version) {
    defaults.set(skippedVersionKey, version);
}

} // namespace update
