#include "app/LaunchMode.h"

#include <gtest/gtest.h>

namespace {
using Parlowen::LaunchMode;

TEST(LaunchModeTest, TheFirstMatchingFlagDecides) {
    struct Row {
        const char* name;
        std::vector<std::string> arguments;
        LaunchMode mode;
        bool withoutDisplay;
    };
    const std::vector<Row> rows = {
        {"no flag", {"tessaline"}, LaunchMode::product, false},
        {"debug", {"tessaline", "--debug"}, LaunchMode::debug, false},
        {"update smoke over debug",
         {"tessaline", "--debug", "--update-smoke"},
         LaunchMode::updateSmoke,
         true},
        {"sentry smoke", {"tessaline", "--sentry-smoke"}, LaunchMode::sentrySmoke, true},
        {"telemetry smoke",
         {"tessaline", "--quick-open-telemetry-smoke"},
         LaunchMode::sentrySmoke,
         true},
        {"both smokes",
         {"tessaline", "--sentry-smoke", "--quick-open-telemetry-smoke"},
         LaunchMode::sentrySmoke,
         true},
        {"update smoke over sentry smoke",
         {"tessaline", "--sentry-smoke", "--update-smoke"},
         LaunchMode::updateSmoke,
         true},
        {"smoke over debug",
         {"tessaline", "--debug", "--sentry-smoke"},
         LaunchMode::sentrySmoke,
         true},
        {"visual snapshot in debug",
         {"tessaline", "--debug", "--visual-snapshot"},
         LaunchMode::debug,
         true},
        {"visual snapshot in product",
         {"tessaline", "--visual-snapshot"},
         LaunchMode::product,
         true},
        {"a value attached with =",
         {"tessaline", "--debug=1", "--update-smoke=yes"},
         LaunchMode::product,
         false},
        {"case matters", {"tessaline", "--DEBUG"}, LaunchMode::product, false},
        {"empty command line", {}, LaunchMode::product, false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Parlowen::detectLaunchMode(row.arguments), row.mode) << row.name;
        EXPECT_EQ(Parlowen::runsWithoutDisplay(row.mode, row.arguments), row.withoutDisplay)
            << row.name;
    }
}

// "--desktop" without a path is no choice of the compiled-in desktop.
TEST(LaunchModeTest, TheDesktopFlagWinsOverTheEnvironment) {
    const struct {
        std::vector<std::string> arguments;
        const char* environment;
        std::optional<std::string> path;
    } rows[] = {
        {{"t", "--desktop", "a.json"}, "b.json", "a.json"},
        {{"t"}, "b.json", "b.json"},
        {{"t"}, nullptr, ""},
        {{"t", "--desktop"}, nullptr, std::nullopt},
        {{"t", "--desktop"}, "b.json", std::nullopt},
        {{"t", "--desktop", ""}, nullptr, std::nullopt},
        {{"t", "--desktop", "--debug"}, nullptr, std::nullopt},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Parlowen::desktopDescriptionPath(row.arguments, row.environment), row.path)
            << row.arguments.back() << " with " << (row.environment ? row.environment : "none");
    }
}

} // namespace
