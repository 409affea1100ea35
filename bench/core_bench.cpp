#include "core/MenuBarItemDisplayNameResolver.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using QelCore::MenuBarItemDisplayNameResolver::resolve;

struct Title {
    std::string title;
    std::vector<std::string> descriptions;
    std::string appName;
    std::optional<std::int64_t> genericOrdinal;
};

constexpr std::size_t titleCount = 10'000;

// A scan's worth of titles many times over: badges, multi-line statuses, Chinese texts, system
// identifiers behind generic Control Center titles, and plain names.
std::vector<Title> mixedTitles() {
    const std::vector<std::string> identifiers{
        "com.apple.menuextra.battery",   "com.apple.menuextra.clock", "com.apple.menuextra.wifi",
        "com.apple.menuextra.bluetooth", "com.apple.menuextra.focus", "Status Menu"};
    std::vector<Title> titles;
    titles.reserve(titleCount);
    for (std::size_t index = 0; titles.size() < titleCount; ++index) {
        const std::string number = std::to_string(index % 120);
        titles.push_back({number, {}, "Mail", std::nullopt});
        titles.push_back({number + "+", {}, "Slack", std::nullopt});
        titles.push_back({"Dropbox " + number + "%\nUp to date", {}, "Dropbox", std::nullopt});
        titles.push_back(
            {"Google Drive\nSyncing " + number + " files", {}, "Google Drive", std::nullopt});
        titles.push_back({"坚果云 " + number + "\n正在同步", {}, "坚果云", std::nullopt});
        titles.push_back({"", {identifiers[index % identifiers.size()]}, "控制中心", std::nullopt});
        titles.push_back({"(untitled)",
                          {"com.apple.menuextra.siri", "Wi-Fi，已连接 " + number},
                          "Control Center",
                          static_cast<std::int64_t>(index)});
        titles.push_back({"Stats " + number, {}, "Stats", std::nullopt});
    }
    titles.resize(titleCount);
    return titles;
}

void displayNamesOfMixedTitles(benchmark::State& state) {
    const std::vector<Title> titles = mixedTitles();
    for (auto _ : state) {
        for (const Title& title : titles) {
            benchmark::DoNotOptimize(
                resolve(title.title, title.descriptions, title.appName, title.genericOrdinal));
        }
    }
    // Seconds per title, so the aggregates read as the time of one resolution.
    state.counters["perTitle"] =
        benchmark::Counter(static_cast<double>(state.iterations() * titles.size()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(displayNamesOfMixedTitles)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
