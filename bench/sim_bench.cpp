// Loading a sample desktop: parsing its description and building the desktop (budget 5 ms).
#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/VirtualRunLoop.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>

namespace {

void loadDesktop(benchmark::State& state, const char* name) {
    std::ifstream file(std::string(TESSALINE_DESKTOPS_DIR) + "/" + name + ".json");
    std::stringstream text;
    text << file.rdbuf();
    const std::string json = text.str();
    platform::sim::VirtualClock clock;
    platform::sim::VirtualRunLoop loop(clock);
    for (auto _ : state) {
        auto desktop = platform::sim::SimulatedDesktop::fromJson(json, loop);
        benchmark::DoNotOptimize(desktop);
    }
}

BENCHMARK_CAPTURE(loadDesktop, notched_crowded, "notched-crowded")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(loadDesktop, external_plain, "external-plain")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(loadDesktop, dual_display, "dual-display")->Unit(benchmark::kMicrosecond);

} // namespace
