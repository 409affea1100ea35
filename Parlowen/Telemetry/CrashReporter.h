#pragma once

#include "Parlowen/Settings/AppPreferences.h"
#include "Parlowen/Telemetry/DiagnosticTelemetryEvent.h"
#include "platform/BundleInfo.h"
#include "platform/Clock.h"
#include "platform/LogSink.h"
#include "platform/Logger.h"
#include "platform/ProcessEnvironment.h"
#include "platform/SerialQueue.h"
#include "sentry/SentrySDK.h"
#include "sentry/SentryUser.h"

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace Parlowen {

// Starts and stops crash reporting as the user consents, gives every report the same anonymous
// install identity and release tags, and is the one way telemetry events leave the process.
// Used from the main thread.
class CrashReporter {
public:
    static constexpr std::string_view sentryDSNVariable = "SENTRY_DSN";
    static constexpr std::string_view flushTimeoutVariable =
        "TESSALINE_QUICK_OPEN_TELEMETRY_FLUSH_TIMEOUT";
    static constexpr double longestQuickOpenFlushTimeout = 15.0;

    // What the reporter reads of its process. The bundle, log and clock outlive the reporter.
    struct Services {
        const platform::BundleInfo& bundle;
        platform::LogSink& log;
        const platform::Clock& clock;
        platform::ProcessEnvironment environment;
        // Where crashes are written for the next start; empty captures none.
        std::filesystem::path crashReportFolder;
    };

    CrashReporter(AppPreferences& preferences, Services services);
    ~CrashReporter();
    CrashReporter(const CrashReporter&) = delete;
    CrashReporter& operator=(const CrashReporter&) = delete;

    // The process-wide reporter: the one given to `setShared`, else (made on first use) one over
    // the standard preferences, the built bundle, the process environment, the default crash
    // folder and a log on standard error.
    static CrashReporter& shared();
    // Replaces the process-wide reporter (start-up and tests); the earlier one is closed.
    static void setShared(std::unique_ptr<CrashReporter> reporter);

    bool isActive() const { return isActive_; }

    // Starts reporting when the user consents, a DSN is configured and it is not running.
    void startIfConsented();
    // Stores the consent and starts or stops: withdrawing it drops unsent events, deletes
    // crash reports not yet sent and forgets the install ID.
    void applyConsent(bool enabled);
    // Sends one telemetry event; with a time-out, waits for delivery on the calling thread.
    // The empty id (32 zeros) when reporting is inactive.
    std::string captureDiagnosticEvent(const DiagnosticTelemetryEvent& event,
                                       std::optional<double> flushTimeout);

    // Records a step that later reports carry; only "app.lifecycle" and "navigation" steps
    // (exact categories) are kept.
    void addBreadcrumb(sentry::Breadcrumb breadcrumb) { sdk_.addBreadcrumb(std::move(breadcrumb)); }

    // Starts reporting for the smoke run, whatever the consent; false without a DSN.
    bool startForSmokeTest(bool includeDiagnosticsUser);
    // Sends the smoke message and waits for delivery up to the time-out.
    std::string captureSmokeTest(const std::string& message, double flushTimeout,
                                 bool includeDiagnosticsUser);
    // Whether the last wait for delivery (a capture with a time-out) delivered everything;
    // none before the first.
    std::optional<bool> lastFlushDelivered() const { return lastFlushDelivered_; }

    // "SENTRY_DSN" of the environment, then "SentryDSN" of the bundle: the first that is a
    // usable DSN once trimmed; never a placeholder containing "REPLACE_WITH".
    std::optional<std::string> configuredDSN() const;
    std::string bundleShortVersion() const;
    std::string bundleBuildVersion() const;
    // The bundle identifier, or "unknown".
    std::string appBundleID() const;
    // "tessaline@<short version>+<build>".
    std::string releaseName() const;

    static std::optional<std::string> configuredDSN(const platform::ProcessEnvironment& environment,
                                                    const platform::BundleInfo& bundle);
    // The background flush after each telemetry event: positive, finite seconds, capped at 15.
    static std::optional<double>
    quickOpenFlushTimeout(const platform::ProcessEnvironment& environment);
    // The install ID as user id, this account's login and full name (unset when blank) and an
    // address left to the server.
    static sentry::SentryUser makeDiagnosticsUser(const std::string& installID);
    static std::map<std::string, std::string> releaseMetadataTags(const std::string& shortVersion,
                                                                  const std::string& build);
    // "$XDG_STATE_HOME/tessaline/crash-reports", else under "$HOME/.local/state"; empty when
    // neither is set.
    static std::filesystem::path
    defaultCrashReportFolder(const platform::ProcessEnvironment& environment);

private:
    std::string ensureInstallID();
    sentry::Options sentryOptions(const std::string& dsn) const;
    void flush(double timeout);
    void flushQuickOpenTelemetryInBackground(double timeout);

    AppPreferences& preferences_;
    Services services_;
    platform::Logger logger_;
    bool isActive_ = false;
    bool loggedSkippedTelemetry_ = false;
    std::optional<bool> lastFlushDelivered_;
    sentry::SentrySDK sdk_;
    // Made on first use; destroyed before the client, so no flush outlives it.
    std::unique_ptr<platform::SerialQueue> flushQueue_;
};

} // namespace Parlowen
