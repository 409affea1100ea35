#pragma once

#include "platform/BundleInfo.h"

#include <string>

// The values of the app's own bundle that reports and telemetry carry, with their fallbacks.
namespace Parlowen::TelemetryBundleValues {

// "CFBundleShortVersionString", or "0.0.0" when missing or not a string.
std::string shortVersion(const platform::BundleInfo& bundle);
// "CFBundleVersion", or "0" when missing or not a string.
std::string buildVersion(const platform::BundleInfo& bundle);
// The bundle identifier, or "unknown".
std::string appBundleID(const platform::BundleInfo& bundle);

} // namespace Parlowen::TelemetryBundleValues
