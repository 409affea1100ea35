#include "Parlowen/Telemetry/SentrySmokeTestRunner.h"

#include "Parlowen/Telemetry/SentrySmokeTestResult.h"
#include "core/CommandLineArguments.h"
#include "core/NumberText.h"
#include "core/TextFolding.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

namespace Parlowen::SentrySmokeTestRunner {

namespace {

bool contains(const std::vector<std::string>& arguments, std::string_view flag) {
    return std::find(arguments.begin(), arguments.end(), flag) != arguments.end();
}

using QelCore::CommandLineArguments::valueAfter;

std::string secondsText(double seconds) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", seconds);
    return text;
}

} // namespace

std::int32_t run(const std::vector<std::string>& arguments, CrashReporter& reporter,
                 std::ostream& output) {
    const bool includeDiagnosticsUser = contains(arguments, "--include-diagnostics-user");
    if (!reporter.startForSmokeTest(includeDiagnosticsUser)) {
        output << "Sentry smoke failed: missing Sentry DSN. Set SENTRY_DSN or embed SentryDSN in "
                  "Info.plist."
               << std::endl;
        return missingDSNStatus;
    }
    const double timeout = flushTimeout(arguments);
    const bool telemetryMode = contains(arguments, "--quick-open-telemetry-smoke");
    const auto target = targetBundleID(arguments);
    const auto appBundleID = reporter.appBundleID();

    SentrySmokeTestResult result;
    if (telemetryMode) {
        const auto event = quickOpenSmokeEvent(target, includeDiagnosticsUser,
                                               reporter.bundleShortVersion(), appBundleID);
        result.message = event.name;
        result.eventID = reporter.captureDiagnosticEvent(event.diagnosticEvent(), timeout);
        result.targetAppBundleID = target;
    } else {
        result.message = "tessaline_sentry_smoke";
        result.eventID = reporter.captureSmokeTest(result.message, timeout, includeDiagnosticsUser);
    }
    if (result.eventID.empty() || result.eventID == sentry::SentryId::empty().sentryIdString()) {
        output << "Sentry smoke failed: SDK returned an empty event id." << std::endl;
        return emptyEventIDStatus;
    }
    if (!reporter.lastFlushDelivered().value_or(false)) {
        output << "Sentry smoke failed: event " << result.eventID << " was not delivered within "
               << secondsText(timeout) << " seconds." << std::endl;
        return notDeliveredStatus;
    }
    result.release = reporter.releaseName();
    result.appBundleID = appBundleID;
    result.flushTimeout = timeout;
    result.diagnosticsUserIncluded = includeDiagnosticsUser;
    output << result.json() << std::endl;
    return 0;
}

double flushTimeout(const std::vector<std::string>& arguments) {
    const auto value = valueAfter(arguments, "--flush-timeout");
    const auto seconds = value ? QelCore::parsedDecimal(*value) : std::nullopt;
    if (!seconds || !std::isfinite(*seconds) || *seconds <= 0) {
        return defaultFlushTimeout;
    }
    return std::min(*seconds, longestFlushTimeout);
}

std::string targetBundleID(const std::vector<std::string>& arguments) {
    const auto value = valueAfter(arguments, "--target-bundle-id");
    const auto trimmed = value ? QelCore::TextFolding::trimmed(*value) : std::string();
    return trimmed.empty() ? defaultTargetBundleID : trimmed;
}

QuickOpenTelemetryEvent quickOpenSmokeEvent(const std::string& targetBundleID,
                                            bool includeDiagnosticsUser,
                                            const std::string& appVersion,
                                            const std::string& appBundleID) {
    return {"quick_open_attempt",
            {
                {"outcome", "actionSent"},
                {"openObserved", "false"},
                {"keyboardNavigable", "unknown"},
                {"evidenceSource", "none"},
                {"classification", "visible"},
                {"action", "QAQuickOpenTelemetrySmoke"},
                {"openedByAction", "none"},
                {"accessibility", "granted"},
                {"appVersion", appVersion},
                {"appBundleID", appBundleID},
                {"targetAppBundleID", targetBundleID},
                {"sentrySmoke", "true"},
                {"diagnosticsUserIncluded", includeDiagnosticsUser ? "true" : "false"},
            },
            {
                {"durationMs", 0},
                {"attemptCount", 0},
                {"successAttemptCount", 0},
                {"supportedActionCount", 0},
                {"tessalineVerification", "quick-open-telemetry-smoke"},
            }};
}

} // namespace Parlowen::SentrySmokeTestRunner
