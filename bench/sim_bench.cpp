// Loading a sample desktop: parsing its description and building the desktop (budget 5 ms).
// Generated descriptions of 50 to 10,000 items show that loading grows linearly.
#include "GeneratedDesktop.h"
#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/VirtualRunLoop.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>

namespace {

void loadDescription(benchmark::State& state, const std::string& json) {
    platform::sim::VirtualClock clock;
    platform::sim::VirtualRunLoop loop(clock);
    for (auto _ : state) {
        auto desktop = platform::sim::SimulatedDesktop::fromJson(json, loop);
        benchmark::DoNotOptimize(desktop);
    }
}

void loadDesktop(benchmark::State& state, const char* name) {
    std::ifstream file(std::string(TESSALINE_DESKTOPS_DIR) + "/" + name + ".json");
    std::stringstream text;
    text << file.rdbuf();
    loadDescription(state, text.str());
}

void loadGeneratedDesktop(benchmark::State& state) {
    loadDescription(state, generatedDesktop(static_cast<std::size_t>(state.range(0))));
}

BENCHMARK_CAPTURE(loadDesktop, notched_crowded, "notched-crowded")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(loadDesktop, external_plain, "external-plain")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(loadDesktop, dual_display, "dual-display")->Unit(benchmark::kMicrosecond);
BENCHMARK(loadGeneratedDesktop)->Arg(50)->Arg(10000)->Unit(benchmark::kMicrosecond);

} // namespace
