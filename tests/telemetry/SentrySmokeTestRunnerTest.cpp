#include "Parlowen/Telemetry/SentrySmokeTestRunner.h"
#include "tests/telemetry/TelemetryReporterFixture.h"

#include <sstream>

namespace {

namespace Runner = Parlowen::SentrySmokeTestRunner;
using Arguments = std::vector<std::string>;

class SentrySmokeTestRunnerTest : public TelemetryReporterFixture {
protected:
    // Runs the smoke test with a fresh reporter; answers the status and the printed text.
    std::pair<int, std::string> run(const Arguments& arguments) {
        auto reporter = makeReporter();
        std::ostringstream output;
        const int status = Runner::run(arguments, *reporter, output);
        return {status, output.str()};
    }
};

TEST_F(SentrySmokeTestRunnerTest, MessageModePrintsTheSummaryOfADeliveredEvent) {
    const auto [status, output] =
        run({"tessaline", "--sentry-smoke", "--target-bundle-id", "com.example.Ignored"});
    EXPECT_EQ(status, 0);
    const auto events = server.events();
    ASSERT_EQ(events.size(), 1u);
    const auto& event = events[0];
    const std::string expected =
        R"({"appBundleID":"app.tessaline.Tessaline","diagnosticsUserIncluded":false,)"
        R"("environment":"release","eventID":")" +
        event.at("event_id").get<std::string>() +
        R"(","flushTimeout":5.0,"message":"tessaline_sentry_smoke",)"
        R"("release":"tessaline@1.4+77","status":"sent"})"
        "\n";
    EXPECT_EQ(output, expected);
    EXPECT_EQ(event.at("message").at("formatted"), "tessaline_sentry_smoke");
    EXPECT_EQ(event.at("tags"), (nlohmann::json{{"sentrySmoke", "true"},
                                                {"appBundleID", "app.tessaline.Tessaline"},
                                                {"diagnosticsUserIncluded", "false"},
                                                {"tessaline.sentrySmoke", "true"},
                                                {"tessaline.version", "1.4"},
                                                {"tessaline.build", "77"}}));
    EXPECT_EQ(event.at("extra"),
              (nlohmann::json{{"tessalineVerification", "manual-sentry-smoke"}}));
    EXPECT_FALSE(event.contains("user"));
    EXPECT_FALSE(preferences.installID()) << "no install ID is made without the user";
}

TEST_F(SentrySmokeTestRunnerTest, TelemetryModeSendsTheSyntheticEventWithTheUserWhenAsked) {
    const auto [status, output] =
        run({"--sentry-smoke", "--quick-open-telemetry-smoke", "--include-diagnostics-user",
             "--target-bundle-id", " com.example.Target ", "--flush-timeout", "2.5"});
    EXPECT_EQ(status, 0) << output;
    const auto summary = nlohmann::json::parse(output);
    EXPECT_EQ(summary.at("message"), "quick_open_attempt");
    EXPECT_EQ(summary.at("targetAppBundleID"), "com.example.Target");
    EXPECT_EQ(summary.at("flushTimeout"), 2.5);
    EXPECT_EQ(summary.at("diagnosticsUserIncluded"), true);

    const auto events = server.events();
    ASSERT_EQ(events.size(), 1u);
    const auto& event = events[0];
    EXPECT_EQ(event.at("event_id"), summary.at("eventID"));
    EXPECT_EQ(event.at("tags").at("action"), "QAQuickOpenTelemetrySmoke");
    EXPECT_EQ(event.at("tags").at("targetAppBundleID"), "com.example.Target");
    EXPECT_EQ(event.at("tags").at("appVersion"), "1.4");
    EXPECT_EQ(event.at("tags").at("diagnosticsUserIncluded"), "true");
    EXPECT_EQ(event.at("extra").at("tessalineVerification"), "quick-open-telemetry-smoke");
    EXPECT_EQ(event.at("user").at("id"), *preferences.installID());
}

TEST_F(SentrySmokeTestRunnerTest, FailuresHaveTheirOwnLineAndStatus) {
    struct Row {
        const char* name;
        std::function<void()> arrange;
        int status;
        std::string linePrefix;
    };
    const std::vector<Row> rows{
        {"no DSN", [&] { environment.erase("SENTRY_DSN"); }, Runner::missingDSNStatus,
         "Sentry smoke failed: missing Sentry DSN. Set SENTRY_DSN or embed SentryDSN in "
         "Info.plist.\n"},
        {"server answering 500",
         [&] {
             server.http.respond(SentryTestServer::envelopePath, {500, {}, ""});
         },
         Runner::notDeliveredStatus, "Sentry smoke failed: event "},
        {"server down", [&] { server.http.stop(); }, Runner::notDeliveredStatus,
         "Sentry smoke failed: event "},
    };
    for (const auto& row : rows) {
        environment["SENTRY_DSN"] = server.dsn();
        row.arrange();
        const auto [status, output] = run({"--sentry-smoke", "--flush-timeout", "3"});
        EXPECT_EQ(status, row.status) << row.name;
        EXPECT_EQ(output.rfind(row.linePrefix, 0), 0u) << row.name << ": " << output;
        EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << row.name;
        if (row.status == Runner::notDeliveredStatus) {
            EXPECT_NE(output.find(" was not delivered within 3 seconds."), std::string::npos)
                << output;
        }
    }
}

TEST_F(SentrySmokeTestRunnerTest, BundleWithoutIdentifierReportsUnknown) {
    platform::InMemoryBundleInfo anonymous(std::nullopt, "/");
    Parlowen::CrashReporter reporter(preferences, {anonymous, log, clock, environment, {}});
    std::ostringstream output;
    EXPECT_EQ(Runner::run({"--sentry-smoke"}, reporter, output), 0);
    EXPECT_EQ(nlohmann::json::parse(output.str()).at("appBundleID"), "unknown");
    EXPECT_EQ(nlohmann::json::parse(output.str()).at("release"), "tessaline@0.0.0+0");
}

TEST(SentrySmokeTestRunnerArguments, FlushTimeoutFallsBackOrIsCapped) {
    const std::vector<std::pair<Arguments, double>> rows{
        {{}, 5.0},
        {{"--flush-timeout"}, 5.0},
        {{"--flush-timeout", "0"}, 5.0},
        {{"--flush-timeout", "-1"}, 5.0},
        {{"--flush-timeout", "abc"}, 5.0},
        {{"--flush-timeout", " 2"}, 5.0},
        {{"--flush-timeout", "nan"}, 5.0},
        {{"--flush-timeout", "inf"}, 5.0},
        {{"--flush-timeout", "2.5"}, 2.5},
        {{"--flush-timeout", "1e9"}, Runner::longestFlushTimeout},
        {{"--flush-timeout", "7", "--flush-timeout", "8"}, 7.0},
    };
    for (const auto& [arguments, timeout] : rows) {
        EXPECT_EQ(Runner::flushTimeout(arguments), timeout)
            << (arguments.size() > 1 ? arguments[1] : "(none)");
    }
}

TEST(SentrySmokeTestRunnerArguments, TargetBundleIDIsTrimmedWithADefault) {
    EXPECT_EQ(Runner::targetBundleID({}), "app.tessaline.qa-target");
    EXPECT_EQ(Runner::targetBundleID({"--target-bundle-id", " \n"}), "app.tessaline.qa-target");
    EXPECT_EQ(Runner::targetBundleID({"--target-bundle-id"}), "app.tessaline.qa-target");
    EXPECT_EQ(Runner::targetBundleID({"--target-bundle-id", " com.a\t"}), "com.a");
}

} // namespace
