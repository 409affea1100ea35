#include "Parlowen/Telemetry/CrashReporter.h"

#include "Parlowen/Items/UUID.h"
#include "Parlowen/Telemetry/TelemetryBundleValues.h"
#include "core/NumberText.h"
#include "core/TextFolding.h"
#include "platform/StandardErrorLogSink.h"
#include "platform/SystemClock.h"
#include "platform/ThreadSerialQueue.h"
#include "platform/linux/BuiltBundleInfo.h"
#include "sentry/CrashReportStore.h"
#include "sentry/Dsn.h"

#include <pwd.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <vector>

namespace Parlowen {

namespace {

constexpr const char* defaultSubsystem = "app.tessaline.Tessaline";

std::unique_ptr<CrashReporter>& sharedInstance() {
    static std::unique_ptr<CrashReporter> instance;
    return instance;
}

std::string secondsText(double seconds) {
    char text[64];
    std::snprintf(text, sizeof text, "%f", seconds);
    return text;
}

// Only app lifecycle and navigation steps go with reports; the category must match exactly.
std::optional<sentry::Breadcrumb> lifecycleAndNavigationOnly(sentry::Breadcrumb breadcrumb) {
    if (breadcrumb.category == "app.lifecycle" || breadcrumb.category == "navigation") {
        return breadcrumb;
    }
    return std::nullopt;
}

std::optional<sentry::Event> withoutUser(sentry::Event event) {
    event.user.reset();
    return event;
}

// This account's login name and full name (the first field of its GECOS text).
std::pair<std::string, std::string> accountNames() {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found) {
        return {};
    }
    std::string fullName = found->pw_gecos ? found->pw_gecos : "";
    fullName = fullName.substr(0, fullName.find(','));
    return {found->pw_name ? found->pw_name : "", fullName};
}

std::optional<std::string> unlessBlank(std::string_view text) {
    auto trimmed = QelCore::TextFolding::trimmed(text);
    if (trimmed.empty()) {
        return std::nullopt;
    }
    return trimmed;
}

} // namespace

CrashReporter::CrashReporter(AppPreferences& preferences, Services services)
    : preferences_(preferences), services_(std::move(services)),
      logger_(services_.log, services_.clock,
              services_.bundle.bundleIdentifier().value_or(defaultSubsystem), "Diagnostics") {}

CrashReporter::~CrashReporter() {
    // Ends a background flush at once instead of letting it run out its time-out.
    sdk_.close();
}

CrashReporter& CrashReporter::shared() {
    auto& instance = sharedInstance();
    if (!instance) {
        static const auto bundle = platform::native::builtBundleInfo();
        static platform::StandardErrorLogSink log;
        static const platform::SystemClock clock;
        auto environment = platform::currentProcessEnvironment();
        auto folder = defaultCrashReportFolder(environment);
        instance = std::make_unique<CrashReporter>(
            AppPreferences::shared(),
            Services{*bundle, log, clock, std::move(environment), std::move(folder)});
    }
    return *instance;
}

void CrashReporter::setShared(std::unique_ptr<CrashReporter> reporter) {
    sharedInstance() = std::move(reporter);
}

void CrashReporter::startIfConsented() {
    if (!preferences_.crashReportingEnabled() || isActive_) {
        return;
    }
    const auto dsn = configuredDSN();
    if (!dsn) {
        return;
    }
    const auto installID = ensureInstallID();
    auto options = sentryOptions(*dsn);
    options.sendDefaultPii = true;
    options.crashReportFolder = services_.crashReportFolder;
    if (!sdk_.start(std::move(options))) {
        return;
    }
    const auto tags = releaseMetadataTags(bundleShortVersion(), bundleBuildVersion());
    sdk_.configureScope([&](sentry::Scope& scope) {
        scope.setUser(makeDiagnosticsUser(installID));
        for (const auto& [key, value] : tags) {
            scope.setTag(value, key);
        }
    });
    isActive_ = true;
}

void CrashReporter::applyConsent(bool enabled) {
    preferences_.defaults().set(AppPreferences::crashReportingEnabledKey, enabled);
    if (enabled) {
        startIfConsented();
        return;
    }
    if (isActive_) {
        sdk_.close();
        isActive_ = false;
    }
    preferences_.defaults().removeObject(AppPreferences::installIDKey);
    // Reports of earlier crashes carry the install ID just forgotten.
    if (!services_.crashReportFolder.empty()) {
        sentry::CrashReportStore(services_.crashReportFolder).removeAll();
    }
}

std::string CrashReporter::captureDiagnosticEvent(const DiagnosticTelemetryEvent& event,
                                                  std::optional<double> flushTimeout) {
    if (!isActive_) {
        // Every panel and hotkey step reports an event: one line tells that none leave.
        if (!loggedSkippedTelemetry_) {
            loggedSkippedTelemetry_ = true;
            logger_.debug("Diagnostic telemetry skipped: crash reporter inactive");
        }
        return sentry::SentryId::empty().sentryIdString();
    }
    const auto id = sdk_.capture(event.name, [&](sentry::Scope& scope) {
        for (const auto& [key, value] : event.tags) {
            scope.setTag(value, key);
        }
        for (const auto& [key, value] : event.extras) {
            scope.setExtra(value, key);
        }
    });
    const auto target = event.tags.find("targetAppBundleID");
    const bool targetBundleKnown = target != event.tags.end() && target->second != "unknown";
    logger_.info("Diagnostic telemetry queued: eventID=" + id.sentryIdString() + " name=" +
                 event.name + " targetBundleKnown=" + (targetBundleKnown ? "true" : "false"));
    if (flushTimeout) {
        logger_.info("Diagnostic telemetry smoke flush started: timeout=" +
                     secondsText(*flushTimeout));
        flush(*flushTimeout);
        logger_.info("Diagnostic telemetry smoke flush finished");
    } else if (const auto timeout = quickOpenFlushTimeout(services_.environment)) {
        flushQuickOpenTelemetryInBackground(*timeout);
    }
    return id.sentryIdString();
}

bool CrashReporter::startForSmokeTest(bool includeDiagnosticsUser) {
    if (isActive_) {
        return true;
    }
    const auto dsn = configuredDSN();
    if (!dsn) {
        return false;
    }
    const auto installID = includeDiagnosticsUser ? std::optional(ensureInstallID()) : std::nullopt;
    auto options = sentryOptions(*dsn);
    options.debug = true;
    options.sendDefaultPii = includeDiagnosticsUser;
    if (!includeDiagnosticsUser) {
        options.beforeSend = withoutUser;
    }
    if (!sdk_.start(std::move(options))) {
        return false;
    }
    const auto tags = releaseMetadataTags(bundleShortVersion(), bundleBuildVersion());
    sdk_.configureScope([&](sentry::Scope& scope) {
        for (const auto& [key, value] : tags) {
            scope.setTag(value, key);
        }
        scope.setTag("true", "tessaline.sentrySmoke");
        scope.setTag(includeDiagnosticsUser ? "true" : "false", "diagnosticsUserIncluded");
        if (installID) {
            scope.setUser(makeDiagnosticsUser(*installID));
        }
    });
    if (!includeDiagnosticsUser) {
        sdk_.setUser(std::nullopt);
    }
    isActive_ = true;
    return true;
}

std::string CrashReporter::captureSmokeTest(const std::string& message, double flushTimeout,
                                            bool includeDiagnosticsUser) {
    if (!isActive_) {
        return sentry::SentryId::empty().sentryIdString();
    }
    const auto bundleID = appBundleID();
    const auto id = sdk_.capture(message, [&](sentry::Scope& scope) {
        if (!includeDiagnosticsUser) {
            scope.setUser(std::nullopt);
        }
        scope.setTag("true", "sentrySmoke");
        scope.setTag(bundleID, "appBundleID");
        scope.setTag(includeDiagnosticsUser ? "true" : "false", "diagnosticsUserIncluded");
        scope.setExtra("manual-sentry-smoke", "tessalineVerification");
    });
    flush(flushTimeout);
    return id.sentryIdString();
}

std::optional<std::string> CrashReporter::configuredDSN() const {
    return configuredDSN(services_.environment, services_.bundle);
}

std::string CrashReporter::bundleShortVersion() const {
    return TelemetryBundleValues::shortVersion(services_.bundle);
}

std::string CrashReporter::bundleBuildVersion() const {
    return TelemetryBundleValues::buildVersion(services_.bundle);
}

std::string CrashReporter::appBundleID() const {
    return TelemetryBundleValues::appBundleID(services_.bundle);
}

std::string CrashReporter::releaseName() const {
    return "tessaline@" + bundleShortVersion() + "+" + bundleBuildVersion();
}

std::optional<std::string>
CrashReporter::configuredDSN(const platform::ProcessEnvironment& environment,
                             const platform::BundleInfo& bundle) {
    std::vector<std::string> candidates;
    if (const auto found = environment.find(sentryDSNVariable); found != environment.end()) {
        candidates.push_back(found->second);
    }
    if (const auto info = platform::infoString(bundle, platform::kSentryDSNKey)) {
        candidates.push_back(*info);
    }
    for (const auto& candidate : candidates) {
        auto dsn = QelCore::TextFolding::trimmed(candidate);
        // A text that does not parse would start a reporter that sends nowhere.
        if (!dsn.empty() && dsn.find("REPLACE_WITH") == std::string::npos &&
            sentry::Dsn::parse(dsn)) {
            return dsn;
        }
    }
    return std::nullopt;
}

std::optional<double>
CrashReporter::quickOpenFlushTimeout(const platform::ProcessEnvironment& environment) {
    const auto found = environment.find(flushTimeoutVariable);
    if (found == environment.end()) {
        return std::nullopt;
    }
    const auto seconds = QelCore::parsedDecimal(QelCore::TextFolding::trimmed(found->second));
    if (!seconds || !std::isfinite(*seconds) || *seconds <= 0) {
        return std::nullopt;
    }
    return std::min(*seconds, longestQuickOpenFlushTimeout);
}

sentry::SentryUser CrashReporter::makeDiagnosticsUser(const std::string& installID) {
    const auto [login, fullName] = accountNames();
    return {installID, unlessBlank(login), unlessBlank(fullName), "{{auto}}"};
}

std::map<std::string, std::string>
CrashReporter::releaseMetadataTags(const std::string& shortVersion, const std::string& build) {
    return {{"tessaline.version", shortVersion}, {"tessaline.build", build}};
}

std::filesystem::path
CrashReporter::defaultCrashReportFolder(const platform::ProcessEnvironment& environment) {
    const auto absolute = [&](std::string_view name) -> std::optional<std::filesystem::path> {
        const auto found = environment.find(name);
        if (found == environment.end() || found->second.empty() || found->second[0] != '/') {
            return std::nullopt;
        }
        return std::filesystem::path(found->second);
    };
    if (const auto state = absolute("XDG_STATE_HOME")) {
        return *state / "tessaline" / "crash-reports";
    }
    if (const auto home = absolute("HOME")) {
        return *home / ".local" / "state" / "tessaline" / "crash-reports";
    }
    return {};
}

std::string CrashReporter::ensureInstallID() {
    if (const auto stored = preferences_.installID(); stored && !stored->empty()) {
        return *stored;
    }
    const auto installID = QelCore::TextFolding::lowercased(UUID::random().uuidString());
    preferences_.defaults().set(AppPreferences::installIDKey, installID);
    return installID;
}

sentry::Options CrashReporter::sentryOptions(const std::string& dsn) const {
    sentry::Options options;
    options.dsn = dsn;
    options.releaseName = releaseName();
    options.environment = "release";
    options.debug = false;
    options.sampleRate = 1.0;
    options.beforeBreadcrumb = lifecycleAndNavigationOnly;
    return options;
}

void CrashReporter::flush(double timeout) {
    lastFlushDelivered_ = sdk_.flush(timeout);
}

void CrashReporter::flushQuickOpenTelemetryInBackground(double timeout) {
    if (!flushQueue_) {
        flushQueue_ =
            std::make_unique<platform::ThreadSerialQueue>("app.tessaline.telemetry-flush");
    }
    flushQueue_->async([this, timeout] {
        logger_.info("Quick Open telemetry flush started: timeout=" + secondsText(timeout));
        sdk_.flush(timeout);
        logger_.info("Quick Open telemetry flush finished");
    });
}

} // namespace Parlowen
