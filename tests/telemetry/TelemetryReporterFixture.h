#pragma once

#include "Parlowen/Telemetry/CrashReporter.h"
#include "platform/InMemoryBundleInfo.h"
#include "platform/InMemoryUserDefaults.h"
#include "platform/RecordingLogSink.h"
#include "platform/SystemClock.h"
#include "tests/sentry/SentryTestServer.h"
#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

// A crash reporter over in-memory settings, a bundle of version 1.4 (build 77) and an
// environment whose DSN names a loopback server; crash reports go to a temporary folder.
class TelemetryReporterFixture : public ::testing::Test {
protected:
    TelemetryReporterFixture()
        : defaults(std::make_shared<platform::InMemoryUserDefaults>()), preferences(defaults),
          bundle("app.tessaline.Tessaline", "/opt/tessaline",
                 {{"CFBundleShortVersionString", "1.4"}, {"CFBundleVersion", "77"}}) {
        environment["SENTRY_DSN"] = server.dsn();
    }

    std::filesystem::path crashFolder() const { return temporary.path() / "crash-reports"; }

    std::unique_ptr<Parlowen::CrashReporter> makeReporter() {
        return std::make_unique<Parlowen::CrashReporter>(
            preferences,
            Parlowen::CrashReporter::Services{bundle, log, clock, environment, crashFolder()});
    }

    // Waits up to five seconds for the server to have received `count` events.
    std::vector<nlohmann::json> eventsOnceThereAre(std::size_t count) const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (server.events().size() < count && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return server.events();
    }

    TemporaryFolder temporary;
    SentryTestServer server;
    std::shared_ptr<platform::InMemoryUserDefaults> defaults;
    Parlowen::AppPreferences preferences;
    platform::InMemoryBundleInfo bundle;
    platform::RecordingLogSink log;
    platform::SystemClock clock;
    platform::ProcessEnvironment environment;
};
