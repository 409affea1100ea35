#include "Parlowen/Telemetry/TelemetryBundleValues.h"

namespace Parlowen::TelemetryBundleValues {

std::string shortVersion(const platform::BundleInfo& bundle) {
    return platform::infoString(bundle, platform::kCFBundleShortVersionStringKey).value_or("0.0.0");
}

std::string buildVersion(const platform::BundleInfo& bundle) {
    return platform::infoString(bundle, platform::kCFBundleVersionKey).value_or("0");
}

std::string appBundleID(const platform::BundleInfo& bundle) {
    return bundle.bundleIdentifier().value_or("unknown");
}

} // namespace Parlowen::TelemetryBundleValues
