#pragma once

#include "Parlowen/Telemetry/DiagnosticTelemetryEvent.h"
#include "Parlowen/Telemetry/PerAppHotKeyTelemetrySource.h"

#include <cstdint>
#include <map>
#include <string>

// The telemetry of per-app hotkey set-up, use and removal.
namespace Parlowen::PerAppHotKeyTelemetryEvent {

// The tags every per-app hotkey event carries: "source", "surface", "appVersion" and
// "appBundleID".
std::map<std::string, std::string> commonTags(PerAppHotKeyTelemetrySource source,
                                              const std::string& appVersion,
                                              const std::string& appBundleID);

// "per_app_hotkey_removed" with the source, its surface, the app's version and bundle id, and
// the number of bindings removed (0 when negative).
DiagnosticTelemetryEvent removed(PerAppHotKeyTelemetrySource source, std::int64_t removedCount,
                                 const std::string& appVersion, const std::string& appBundleID);

// A count as a coarse bucket: "0" (0 or less), "1", "2-5", "6-20", "21+".
std::string bucket(std::int64_t count);

} // namespace Parlowen::PerAppHotKeyTelemetryEvent
