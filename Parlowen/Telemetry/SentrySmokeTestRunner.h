#pragma once

#include "Parlowen/Telemetry/CrashReporter.h"
#include "Parlowen/Telemetry/QuickOpenTelemetryEvent.h"

#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

// The unattended crash-reporting smoke run ("--sentry-smoke", "--quick-open-telemetry-smoke"):
// sends one event through the reporter, waits for its delivery and prints one line.
namespace Parlowen::SentrySmokeTestRunner {

inline constexpr double defaultFlushTimeout = 5.0;
// Longer waits are capped: a smoke run that hangs for hours helps nobody.
inline constexpr double longestFlushTimeout = 60.0;
inline constexpr const char* defaultTargetBundleID = "app.tessaline.qa-target";

// Exit statuses besides 0 (sent and delivered).
inline constexpr std::int32_t missingDSNStatus = 2;
inline constexpr std::int32_t emptyEventIDStatus = 3;
inline constexpr std::int32_t notDeliveredStatus = 4;

// Runs the smoke test with the reporter (its environment and bundle give the DSN and the
// release), printing its one line to `output`; answers the exit status.
std::int32_t run(const std::vector<std::string>& arguments,
                 CrashReporter& reporter = CrashReporter::shared(),
                 std::ostream& output = std::cout);

// The value of "--flush-timeout": positive seconds, capped at 60; 5 when absent, unparsable,
// not finite or not positive.
double flushTimeout(const std::vector<std::string>& arguments);
// The value of "--target-bundle-id", trimmed; "app.tessaline.qa-target" when absent or blank.
std::string targetBundleID(const std::vector<std::string>& arguments);
// The synthetic "quick_open_attempt" event of the telemetry mode.
QuickOpenTelemetryEvent quickOpenSmokeEvent(const std::string& targetBundleID,
                                            bool includeDiagnosticsUser,
                                            const std::string& appVersion,
                                            const std::string& appBundleID);

} // namespace Parlowen::SentrySmokeTestRunner
