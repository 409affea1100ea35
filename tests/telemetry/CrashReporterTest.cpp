#include "Parlowen/Telemetry/CrashReporter.h"
#include "sentry/CrashReportStore.h"
#include "tests/telemetry/TelemetryReporterFixture.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <regex>
#include <set>

namespace {

using Parlowen::CrashReporter;
using Parlowen::DiagnosticTelemetryEvent;

const char* const validDsn = "https://key@sentry.example.com/1";

TEST(CrashReporterConfiguration, DsnComesFromTheEnvironmentThenTheBundle) {
    struct Row {
        const char* name;
        std::optional<std::string> environment;
        std::optional<platform::Value> bundle;
        std::optional<std::string> dsn;
    };
    const std::string other = "https://other@sentry.example.com/2";
    const std::vector<Row> rows{
        {"environment first", validDsn, platform::Value(other), validDsn},
        {"trimmed", "  " + std::string(validDsn) + "\n", std::nullopt, validDsn},
        {"blank environment falls to the bundle", "  ", platform::Value(other), other},
        {"placeholder is never used", "https://REPLACE_WITH_KEY@sentry.example.com/1",
         platform::Value(other), other},
        {"placeholder in the bundle", std::nullopt,
         platform::Value("https://key@REPLACE_WITH_HOST/1"), std::nullopt},
        {"unparsable counts as none", "not-a-dsn", std::nullopt, std::nullopt},
        {"unparsable falls to the bundle", "http://no-project@host", platform::Value(other), other},
        {"bundle value not a string", std::nullopt, platform::Value(42), std::nullopt},
        {"nothing", std::nullopt, std::nullopt, std::nullopt},
    };
    for (const auto& row : rows) {
        platform::ProcessEnvironment environment;
        if (row.environment) {
            environment["SENTRY_DSN"] = *row.environment;
        }
        platform::Value::Dictionary info;
        if (row.bundle) {
            info["SentryDSN"] = *row.bundle;
        }
        const platform::InMemoryBundleInfo bundle(std::nullopt, "/", info);
        EXPECT_EQ(CrashReporter::configuredDSN(environment, bundle), row.dsn) << row.name;
    }
}

TEST(CrashReporterConfiguration, QuickOpenFlushTimeoutIsPositiveFiniteAndCapped) {
    const std::vector<std::pair<std::optional<std::string>, std::optional<double>>> rows{
        {"2.5", 2.5},
        {" 30 ", 15.0},
        {"0", std::nullopt},
        {"-1", std::nullopt},
        {"soon", std::nullopt},
        {"inf", std::nullopt},
        {"nan", std::nullopt},
        {"", std::nullopt},
        {std::nullopt, std::nullopt},
        {"1e400", std::nullopt},
    };
    for (const auto& [value, timeout] : rows) {
        platform::ProcessEnvironment environment{{"PATH", "/usr/bin"}};
        if (value) {
            environment[std::string(CrashReporter::flushTimeoutVariable)] = *value;
        }
        EXPECT_EQ(CrashReporter::quickOpenFlushTimeout(environment), timeout)
            << value.value_or("(absent)");
    }
}

TEST(CrashReporterConfiguration, ReleaseNameAndTagsFallBackWhenTheBundleHasNoVersions) {
    platform::InMemoryUserDefaults defaults;
    Parlowen::AppPreferences preferences(std::make_shared<platform::InMemoryUserDefaults>());
    platform::RecordingLogSink log;
    platform::SystemClock clock;
    platform::InMemoryBundleInfo bundle(std::nullopt, "/", {{"CFBundleShortVersionString", 3}});
    CrashReporter reporter(preferences, {bundle, log, clock, {}, {}});
    EXPECT_EQ(reporter.releaseName(), "tessaline@0.0.0+0");
    EXPECT_EQ(reporter.appBundleID(), "unknown");
    bundle.setObject("CFBundleShortVersionString", "2.1");
    EXPECT_EQ(reporter.releaseName(), "tessaline@2.1+0");
    EXPECT_EQ(CrashReporter::releaseMetadataTags("2.1", "9"),
              (std::map<std::string, std::string>{{"tessaline.version", "2.1"},
                                                  {"tessaline.build", "9"}}));
}

TEST(CrashReporterConfiguration, DiagnosticsUserAndCrashFolder) {
    const auto user = CrashReporter::makeDiagnosticsUser("0f0e");
    EXPECT_EQ(user.userId, "0f0e");
    EXPECT_EQ(user.ipAddress, "{{auto}}");
    EXPECT_NE(user.username, std::optional<std::string>("")) << "blank names are left unset";
    EXPECT_NE(user.name, std::optional<std::string>(""));

    EXPECT_EQ(CrashReporter::defaultCrashReportFolder({{"XDG_STATE_HOME", "/s"}, {"HOME", "/h"}}),
              "/s/tessaline/crash-reports");
    EXPECT_EQ(CrashReporter::defaultCrashReportFolder({{"XDG_STATE_HOME", "rel"}, {"HOME", "/h"}}),
              "/h/.local/state/tessaline/crash-reports");
    EXPECT_EQ(CrashReporter::defaultCrashReportFolder({}), "");
}

using CrashReporterTest = TelemetryReporterFixture;

TEST_F(CrashReporterTest, SendsDiagnosticEventsWithTagsExtrasUserAndReleaseTags) {
    auto reporter = makeReporter();
    reporter->startIfConsented();
    ASSERT_TRUE(reporter->isActive());
    const auto installID = preferences.installID();
    ASSERT_TRUE(installID);
    EXPECT_TRUE(std::regex_match(
        *installID,
        std::regex("[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}")));

    const DiagnosticTelemetryEvent event{
        "per_app_hotkey_removed",
        {{"source", "managerSingleRemove"}, {"targetAppBundleID", "com.example.Target"}},
        {{"removedCount", 2}}};
    const auto id = reporter->captureDiagnosticEvent(event, 5.0);
    EXPECT_EQ(reporter->lastFlushDelivered(), true);

    const auto events = server.events();
    ASSERT_EQ(events.size(), 1u);
    const auto& sent = events[0];
    EXPECT_EQ(sent.at("event_id"), id);
    EXPECT_EQ(sent.at("message").at("formatted"), "per_app_hotkey_removed");
    EXPECT_EQ(sent.at("release"), "tessaline@1.4+77");
    EXPECT_EQ(sent.at("environment"), "release");
    EXPECT_EQ(sent.at("tags"), (nlohmann::json{{"source", "managerSingleRemove"},
                                               {"targetAppBundleID", "com.example.Target"},
                                               {"tessaline.version", "1.4"},
                                               {"tessaline.build", "77"}}));
    EXPECT_EQ(sent.at("extra"), (nlohmann::json{{"removedCount", 2}}));
    EXPECT_EQ(sent.at("user").at("id"), *installID);
    EXPECT_EQ(sent.at("user").at("ip_address"), "{{auto}}");

    EXPECT_TRUE(log.contains("Diagnostic telemetry queued: eventID=" + id +
                             " name=per_app_hotkey_removed targetBundleKnown=true"));
    EXPECT_TRUE(log.contains("Diagnostic telemetry smoke flush started: timeout=5.000000"));
    EXPECT_TRUE(log.contains("Diagnostic telemetry smoke flush finished"));
    EXPECT_EQ(log.entries().front().subsystem, "app.tessaline.Tessaline");
    EXPECT_EQ(log.entries().front().category, "Diagnostics");
}

TEST_F(CrashReporterTest, UnknownTargetBundleLogsAsNotKnown) {
    auto reporter = makeReporter();
    reporter->startIfConsented();
    reporter->captureDiagnosticEvent({"a", {{"targetAppBundleID", "unknown"}}, {}}, 5.0);
    reporter->captureDiagnosticEvent({"b", {}, {}}, 5.0);
    EXPECT_TRUE(log.contains("name=a targetBundleKnown=false"));
    EXPECT_TRUE(log.contains("name=b targetBundleKnown=false"));
}

TEST_F(CrashReporterTest, StaysInactiveWithoutConsentOrUsableDsn) {
    struct Row {
        const char* name;
        bool consent;
        std::optional<std::string> dsn;
    };
    const std::vector<Row> rows{
        {"consent withdrawn", false, server.dsn()},
        {"no DSN", true, std::nullopt},
        {"placeholder DSN", true, "https://REPLACE_WITH_KEY@example.com/1"},
        {"unparsable DSN", true, "sentry please"},
    };
    for (const auto& row : rows) {
        defaults->set(Parlowen::AppPreferences::crashReportingEnabledKey, row.consent);
        environment.erase("SENTRY_DSN");
        if (row.dsn) {
            environment["SENTRY_DSN"] = *row.dsn;
        }
        auto reporter = makeReporter();
        reporter->startIfConsented();
        EXPECT_FALSE(reporter->isActive()) << row.name;
        for (int event = 0; event < 2; ++event) {
            EXPECT_EQ(reporter->captureDiagnosticEvent({"x", {}, {}}, 1.0), std::string(32, '0'))
                << row.name;
        }
        EXPECT_FALSE(reporter->lastFlushDelivered()) << "nothing was flushed: " << row.name;
    }
    // One debug line per reporter, however many events it skips.
    const auto entries = log.entries();
    EXPECT_EQ(std::count_if(entries.begin(), entries.end(),
                            [](const platform::LogEntry& entry) {
                                return entry.type == platform::OS_LOG_TYPE_DEBUG &&
                                       entry.message ==
                                           "Diagnostic telemetry skipped: crash reporter inactive";
                            }),
              static_cast<std::ptrdiff_t>(rows.size()));
    EXPECT_TRUE(server.http.requests().empty());
}

TEST_F(CrashReporterTest, ConsentOffThenOnMakesANewInstallIDAndSendsNothingBetween) {
    auto reporter = makeReporter();
    reporter->startIfConsented();
    const auto firstID = preferences.installID();
    reporter->startIfConsented();
    EXPECT_EQ(preferences.installID(), firstID) << "a second start changes nothing";

    // A report of an earlier crash carries the install ID about to be forgotten.
    ASSERT_TRUE(sentry::CrashReportStore(crashFolder()).prepare());
    std::ofstream(crashFolder() / "0123456789abcdef0123456789abcdef.envelope") << "{}\n";

    reporter->applyConsent(false);
    EXPECT_FALSE(reporter->isActive());
    EXPECT_FALSE(preferences.crashReportingEnabled());
    EXPECT_FALSE(preferences.installID());
    EXPECT_TRUE(sentry::CrashReportStore(crashFolder()).pending().empty());
    reporter->captureDiagnosticEvent({"while_off", {}, {}}, std::nullopt);

    reporter->applyConsent(true);
    ASSERT_TRUE(reporter->isActive());
    const auto secondID = preferences.installID();
    ASSERT_TRUE(secondID);
    EXPECT_NE(secondID, firstID);
    reporter->captureDiagnosticEvent({"after", {}, {}}, 5.0);

    const auto events = server.events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].at("message").at("formatted"), "after");
    EXPECT_EQ(events[0].at("user").at("id"), *secondID);
}

TEST_F(CrashReporterTest, WithdrawingWhileInactiveStillForgetsTheInstallID) {
    defaults->set(Parlowen::AppPreferences::installIDKey, std::string("old-id"));
    auto reporter = makeReporter();
    reporter->applyConsent(false);
    EXPECT_FALSE(preferences.installID());
}

TEST_F(CrashReporterTest, KeepsOnlyLifecycleAndNavigationBreadcrumbs) {
    const std::vector<std::pair<std::string, bool>> rows{
        {"app.lifecycle", true},
        {"navigation", true},
        {"navigation.tab", false},
        {"app.lifecycle.x", false},
        {"app", false},
        {"ui.click", false},
        {"", false},
        {"Navigation", false},
    };
    auto reporter = makeReporter();
    reporter->startIfConsented();
    for (const auto& [category, kept] : rows) {
        reporter->addBreadcrumb({category, "step " + category});
    }
    reporter->captureDiagnosticEvent({"with_breadcrumbs", {}, {}}, 5.0);
    const auto events = server.events();
    ASSERT_EQ(events.size(), 1u);
    std::set<std::string> sentCategories;
    for (const auto& crumb : events[0].at("breadcrumbs").at("values")) {
        sentCategories.insert(crumb.at("category").get<std::string>());
    }
    for (const auto& [category, kept] : rows) {
        EXPECT_EQ(sentCategories.count(category) == 1, kept) << "\"" << category << "\"";
    }
}

TEST_F(CrashReporterTest, FlushesInTheBackgroundWhenTheEnvironmentAsks) {
    environment[std::string(CrashReporter::flushTimeoutVariable)] = "2";
    auto reporter = makeReporter();
    reporter->startIfConsented();
    reporter->captureDiagnosticEvent({"background", {}, {}}, std::nullopt);
    EXPECT_EQ(eventsOnceThereAre(1).size(), 1u);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!log.contains("Quick Open telemetry flush finished") &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(log.contains("Quick Open telemetry flush started: timeout=2.000000"));
    EXPECT_TRUE(log.contains("Quick Open telemetry flush finished"));
}

// Not a fixture test: the child is forked before any thread of the test runs, as thread
// sanitizers require.
TEST(CrashReporterCrash, ACrashedStartIsReportedAtTheNextConsentedStart) {
    TemporaryFolder temporary;
    const auto folder = temporary.path() / "crash-reports";
    auto defaults = std::make_shared<platform::InMemoryUserDefaults>();
    // The child's settings are its own copy, so the ID is chosen before it starts.
    defaults->set(Parlowen::AppPreferences::installIDKey, std::string("crashed-install"));
    Parlowen::AppPreferences preferences(defaults);
    const platform::InMemoryBundleInfo bundle("app.tessaline.Tessaline", "/",
                                              {{"CFBundleVersion", "77"}});
    platform::RecordingLogSink log;
    const platform::SystemClock clock;

    const pid_t child = ::fork();
    if (child == 0) {
        // Nothing is sent before the crash, so the server need not exist.
        CrashReporter reporter(
            preferences, {bundle, log, clock, {{"SENTRY_DSN", "http://k@127.0.0.1:9/42"}}, folder});
        reporter.startIfConsented();
        std::raise(reporter.isActive() ? SIGSEGV : SIGTERM);
        ::_exit(1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGSEGV);

    SentryTestServer server;
    CrashReporter reporter(preferences,
                           {bundle, log, clock, {{"SENTRY_DSN", server.dsn()}}, folder});
    reporter.startIfConsented();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (server.events().empty() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const auto events = server.events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].at("level"), "fatal");
    EXPECT_EQ(events[0].at("user").at("id"), "crashed-install");
    EXPECT_EQ(events[0].at("tags").at("tessaline.build"), "77");
}

} // namespace
