// Updates of one settings key while another process holds the settings lock: each waits as the
// change it is and is read back at once. Every waiting change runs once on what this process
// last read, so the time per update stays flat as changes pile up (when each read and update
// ran every waiting change again, 2,000 updates took 18 ms and 8,000 took 156 ms in a release
// build). The lock is then freed and all of them are written in one go, outside the timing.
#include "platform/FileUserDefaults.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using platform::DefaultsValue;

std::optional<DefaultsValue> increment(const std::optional<DefaultsValue>& stored) {
    const auto* count = stored ? std::get_if<std::int64_t>(&*stored) : nullptr;
    return std::int64_t{count ? *count + 1 : 1};
}

void updatesWaitingForTheLock(benchmark::State& state) {
    const auto updates = static_cast<std::int64_t>(state.range(0));
    std::string folder = std::filesystem::temp_directory_path() / "tessaline-bench-XXXXXX";
    if (!::mkdtemp(folder.data())) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::filesystem::path file = std::filesystem::path(folder) / "defaults.json";
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(file);
        // A descriptor of this process holds the lock as another process would.
        const int holder =
            ::open((file.string() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        ::flock(holder, LOCK_EX);
        std::int64_t seen = 0;
        {
            platform::FileUserDefaults store(
                file, [](std::string_view) {}, std::chrono::milliseconds(0));
            state.ResumeTiming();
            for (std::int64_t index = 0; index < updates; ++index) {
                store.update("count", increment);
                seen = store.integerForKey("count");
            }
            state.PauseTiming();
            ::close(holder);
        }
        if (seen != updates || platform::FileUserDefaults(file).integerForKey("count") != updates) {
            state.SkipWithError("an update was lost or applied twice");
            break;
        }
        state.ResumeTiming();
    }
    std::filesystem::remove_all(folder);
    state.SetItemsProcessed(state.iterations() * updates);
}

BENCHMARK(updatesWaitingForTheLock)->Arg(2'000)->Arg(8'000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
