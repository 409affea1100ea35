#include "Parlowen/Telemetry/PerAppHotKeyTelemetryEvent.h"
#include "Parlowen/Telemetry/QuickOpenTelemetrySampling.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using Parlowen::PerAppHotKeyTelemetrySource;
namespace Sampling = Parlowen::QuickOpenTelemetrySampling;

TEST(QuickOpenTelemetrySampling, RateFromTheEnvironment) {
    struct Row {
        const char* name;
        std::optional<std::string> value;
        double rate;
    };
    const std::vector<Row> rows{
        {"absent", std::nullopt, 1.0},
        {"a quarter", "0.25", 0.25},
        {"with blanks", " 0.5\n", 0.5},
        {"negative", "-3", 0.0},
        {"one", "1", 1.0},
        {"above one", "7", 1.0},
        {"a word", "often", 1.0},
        {"infinite", "inf", 1.0},
        {"not a number", "nan", 1.0},
        {"blank", "  ", 1.0},
        {"trailing text", "0.2x", 1.0},
        {"zero", "0", 0.0},
        {"explicit plus", "+0.75", 0.75},
        {"exponent", "5e-1", 0.5},
    };
    for (const auto& row : rows) {
        platform::ProcessEnvironment environment{{"HOME", "/home/someone"}};
        if (row.value) {
            environment[Sampling::sampleRateVariable] = *row.value;
        }
        EXPECT_EQ(Sampling::configuredSuccessSampleRate(environment), row.rate) << row.name;
    }
}

// The rate is read at each decision, so a change of the environment counts from the next one.
TEST(QuickOpenTelemetrySampling, SamplerReadsTheRateAtEachDecision) {
    using enum Parlowen::QuickOpenActionOutcome;
    platform::ProcessEnvironment environment;
    const auto sampler = Sampling::sampler([&] { return environment; });
    for (const auto& [rate, success] : {std::pair{"0", false}, {"1", true}, {"-1", false}}) {
        environment[Sampling::sampleRateVariable] = rate;
        for (int draw = 0; draw < 20; ++draw) {
            EXPECT_EQ(sampler(actionSent), success) << rate;
            EXPECT_EQ(sampler(observedOpen), success) << rate;
            EXPECT_TRUE(sampler(failed)) << rate;
        }
    }
}

TEST(PerAppHotKeyTelemetryEvent, BucketsCounts) {
    const std::vector<std::pair<std::int64_t, std::string>> rows{
        {-4, "0"},   {0, "0"},     {1, "1"},    {2, "2-5"},      {5, "2-5"},
        {6, "6-20"}, {20, "6-20"}, {21, "21+"}, {1000000, "21+"}};
    for (const auto& [count, expected] : rows) {
        EXPECT_EQ(Parlowen::PerAppHotKeyTelemetryEvent::bucket(count), expected) << count;
    }
}

TEST(PerAppHotKeyTelemetryEvent, RemovalCarriesSourceSurfaceAndCount) {
    struct Row {
        PerAppHotKeyTelemetrySource source;
        std::int64_t count;
        std::string sourceTag;
        std::string surface;
        std::int64_t removedCount;
    };
    const std::vector<Row> rows{
        {PerAppHotKeyTelemetrySource::managerSingleRemove, 1, "managerSingleRemove", "manager", 1},
        {PerAppHotKeyTelemetrySource::managerRemoveNotSeen, 7, "managerRemoveNotSeen", "manager",
         7},
        {PerAppHotKeyTelemetrySource::quickOpenRow, -2, "quickOpenRow", "quickOpenRow", 0},
        {PerAppHotKeyTelemetrySource::runtimeHotKey, 0, "runtimeHotKey", "runtime", 0},
        {PerAppHotKeyTelemetrySource::managerAdd, 3, "managerAdd", "manager", 3},
        {PerAppHotKeyTelemetrySource::managerChange, 3, "managerChange", "manager", 3},
    };
    for (const auto& row : rows) {
        const auto event =
            Parlowen::PerAppHotKeyTelemetryEvent::removed(row.source, row.count, "2.0", "unknown");
        EXPECT_EQ(event.name, "per_app_hotkey_removed");
        const std::map<std::string, std::string> tags{{"source", row.sourceTag},
                                                      {"surface", row.surface},
                                                      {"appVersion", "2.0"},
                                                      {"appBundleID", "unknown"}};
        EXPECT_EQ(event.tags, tags) << row.sourceTag;
        EXPECT_EQ(event.extras, (Parlowen::TelemetryExtras{{"removedCount", row.removedCount}}))
            << row.sourceTag;
    }
}

} // namespace
