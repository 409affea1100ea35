#include "Parlowen/Telemetry/PerAppHotKeyTelemetryEvent.h"

#include <algorithm>

namespace Parlowen::PerAppHotKeyTelemetryEvent {

std::map<std::string, std::string> commonTags(PerAppHotKeyTelemetrySource source,
                                              const std::string& appVersion,
                                              const std::string& appBundleID) {
    return {{"source", QelCore::toString(source)},
            {"surface", surface(source)},
            {"appVersion", appVersion},
            {"appBundleID", appBundleID}};
}

DiagnosticTelemetryEvent removed(PerAppHotKeyTelemetrySource source, std::int64_t removedCount,
                                 const std::string& appVersion, const std::string& appBundleID) {
    return {"per_app_hotkey_removed",
            commonTags(source, appVersion, appBundleID),
            {{"removedCount", std::max<std::int64_t>(removedCount, 0)}}};
}

std::string bucket(std::int64_t count) {
    if (count <= 0) {
        return "0";
    }
    if (count == 1) {
        return "1";
    }
    if (count <= 5) {
        return "2-5";
    }
    if (count <= 20) {
        return "6-20";
    }
    return "21+";
}

} // namespace Parlowen::PerAppHotKeyTelemetryEvent
