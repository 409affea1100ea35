// One visual snapshot run of all twelve targets on the offscreen platform, from the source folder
// so that the committed icon is found; the figure to watch is the mean (at most 3 s).
#include "bench/OffscreenBenchmarkMain.h"
#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/VirtualRunLoop.h"
#include "ui/Snapshots/VisualSnapshotRunner.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <sstream>

namespace {

void BM_VisualSnapshotAllTargets(benchmark::State& state) {
    platform::sim::VirtualClock clock;
    platform::sim::VirtualRunLoop loop{clock};
    platform::sim::SimulatedDesktop desktop{platform::sim::SimulatedDesktop::defaultDescription(),
                                            loop};
    const platform::PlatformServices services = desktop.services();
    std::string folder = std::filesystem::temp_directory_path() / "tessaline-snapshot-bench-XXXXXX";
    if (::mkdtemp(folder.data()) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    for (auto _ : state) {
        std::ostringstream out;
        std::ostringstream err;
        const int status =
            VisualSnapshotRunner::run({"tessaline", "--visual-snapshot", "all", "--output", folder},
                                      {services, out, err, TESSALINE_SOURCE_DIR});
        if (status != 0) {
            state.SkipWithError(err.str().c_str());
            break;
        }
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_VisualSnapshotAllTargets)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    return runOffscreenBenchmarks(argc, argv);
}
