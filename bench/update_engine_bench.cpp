// The update engine's work where outside bytes decide it, in real time: deep archives refused at
// once and nested ones extracted in time linear in their entries; and how soon the updater lets
// go of the network, destroyed (at quit) while the server sends nothing, or asking for the
// archive when "Install Update" is clicked while the release notes still trickle. A refusal or
// a letting go over its budget of one second is an error, and the program then exits with 1.
#include "Parlowen/Updates/SmokeUserDriver.h"
#include "platform/InMemoryUserDefaults.h"
#include "platform/RealTimeRunLoop.h"
#include "platform/SystemClock.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/update/UpdateTestSupport.h"
#include "update/ArchiveExtractor.h"
#include "update/SPUStandardUserDriver.h"
#include "update/SPUUpdater.h"

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Kind = UpdateTestSupport::ArchiveEntry::Kind;

constexpr double budgetSeconds = 1;
bool overBudget = false;

// Marks the case an error when `seconds` (of its last round) passes the budget.
void judge(benchmark::State& state, double seconds) {
    if (seconds > budgetSeconds) {
        overBudget = true;
        state.SkipWithError(("took " + std::to_string(seconds) + " s, over the budget").c_str());
    }
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A fresh folder under the temporary folder, removed with its contents at the end.
struct ScratchFolder {
    ScratchFolder() {
        std::string pattern = std::filesystem::temp_directory_path() / "tessaline-bench-XXXXXX";
        path = ::mkdtemp(pattern.data()) ? pattern : "";
    }
    ~ScratchFolder() {
        std::error_code error;
        std::filesystem::remove_all(path, error);
    }
    std::filesystem::path path;
};

// Folders `levels` deep, then `files` empty files in the deepest.
std::string nestedArchive(int levels, int files) {
    std::vector<UpdateTestSupport::ArchiveEntry> entries;
    std::string path;
    for (int level = 0; level < levels; ++level) {
        path += level == 0 ? "d" : "/d";
        entries.push_back({path, "", Kind::directory, ""});
    }
    for (int file = 0; file < files; ++file) {
        entries.push_back({path + "/f" + std::to_string(file), "", Kind::file, ""});
    }
    return UpdateTestSupport::makeTarGz(entries);
}

// Extracts folders `levels` deep with `files` in the deepest; answers the seconds it took.
double extractNested(benchmark::State& state, int levels, int files) {
    const auto archive = nestedArchive(levels, files);
    update::ArchiveExtractor::Options options;
    options.maxExpansionRatio = 1'000'000;
    double seconds = 0;
    for (auto _ : state) {
        const ScratchFolder folder;
        const auto start = Clock::now();
        const auto error = update::ArchiveExtractor::extract(archive, folder.path, options);
        seconds = secondsSince(start);
        state.SetIterationTime(seconds);
        state.counters["refused"] = error ? 1 : 0;
    }
    return seconds;
}

void BM_DeepArchiveRefused(benchmark::State& state) {
    judge(state, extractNested(state, static_cast<int>(state.range(0)), 0));
}
BENCHMARK(BM_DeepArchiveRefused)->Arg(1500)->Arg(3000)->UseManualTime()->Iterations(3);

// The file system's work per entry dominates; the figure per entry stays level as entries grow.
void BM_NestedFilesExtracted(benchmark::State& state) {
    const auto files = static_cast<int>(state.range(0));
    const auto seconds =
        extractNested(state, static_cast<int>(update::ArchiveExtractor::maxPathDepth) - 1, files);
    state.counters["us_per_entry"] = seconds * 1e6 / files;
}
BENCHMARK(BM_NestedFilesExtracted)->Arg(500)->Arg(2000)->UseManualTime()->Iterations(3);

// An installed "1.0" offered a signed "2.0" by a loopback server whose answers are held back
// until the end of the round.
class HeldServer {
public:
    HeldServer() {
        std::filesystem::create_directory(installed());
        server.setHandler([this](const testsupport::HttpRequest& request) {
            if (request.path == "/appcast.xml") {
                return testsupport::HttpResponse{200, {}, feed};
            }
            if (request.path == "/notes.html") {
                return testsupport::HttpResponse{200, {}, std::string(1000, 'n'), trickle};
            }
            std::unique_lock lock(mutex);
            released.wait(lock, [this] { return done; });
            return testsupport::HttpResponse{404, {}, {}};
        });
    }
    ~HeldServer() {
        {
            std::lock_guard lock(mutex);
            done = true;
        }
        released.notify_all();
        server.stop();
    }

    std::filesystem::path installed() const { return folder.path / "Tessaline"; }

    std::unique_ptr<update::SPUUpdater> updater(update::SPUUserDriver& driver) {
        auto made = std::make_unique<update::SPUUpdater>(
            update::UpdaterEnvironment{
                {key.publicKeyBase64(), "1.0", "1.0", server.url("/appcast.xml"), installed()},
                defaults,
                loop,
                std::nullopt},
            driver, nullptr);
        made->startUpdater();
        return made;
    }

    // Runs the main loop until the server has been asked for `path`, or for ten seconds.
    void runUntilAsked(const std::string& path) {
        const auto giveUp = Clock::now() + std::chrono::seconds(10);
        while (!asked(path) && Clock::now() < giveUp) {
            loop.runFor(std::chrono::milliseconds(1));
        }
    }

    bool asked(const std::string& path) const {
        for (const auto& request : server.requests()) {
            if (request.path == path) {
                return true;
            }
        }
        return false;
    }

    platform::SystemClock clock;
    platform::RealTimeRunLoop loop{clock};

private:
    static constexpr std::chrono::milliseconds trickle{50};
    ScratchFolder folder;
    testsupport::LoopbackHttpServer server;
    UpdateTestSupport::KeyPair key = UpdateTestSupport::KeyPair::generate();
    const std::string feed = UpdateTestSupport::appcast(UpdateTestSupport::item(
        "2.0", server.url("/a.tar.gz"), 1000, key.sign("x"),
        "<sparkle:releaseNotesLink>" + server.url("/notes.html") + "</sparkle:releaseNotesLink>"));
    platform::InMemoryUserDefaults defaults{{{"SUEnableAutomaticChecks", false}}};
    std::mutex mutex;
    std::condition_variable released;
    bool done = false;
};

// The updater's destructor, at quit, while the archive's server sends nothing.
void BM_UpdaterEndsDuringASilentTransfer(benchmark::State& state) {
    for (auto _ : state) {
        HeldServer server;
        Parlowen::SmokeUserDriver driver;
        auto updater = server.updater(driver);
        updater->checkForUpdates();
        server.runUntilAsked("/a.tar.gz");
        const auto start = Clock::now();
        updater.reset();
        const auto seconds = secondsSince(start);
        state.SetIterationTime(seconds);
        judge(state, seconds);
    }
}
BENCHMARK(BM_UpdaterEndsDuringASilentTransfer)->UseManualTime()->Iterations(5);

// From the "Install Update" click, while the release notes trickle in, to the archive's request.
void BM_ArchiveAskedForDuringSlowNotes(benchmark::State& state) {
    for (auto _ : state) {
        HeldServer server;
        UpdateTestSupport::AnsweringPresenter presenter;
        update::SPUStandardUserDriver driver(presenter, nullptr, "1.0");
        auto updater = server.updater(driver);
        updater->checkForUpdates();
        server.runUntilAsked("/notes.html");
        const auto start = Clock::now();
        if (presenter.answer) {
            presenter.answer(update::SPUUserUpdateChoice::install);
        }
        server.runUntilAsked("/a.tar.gz");
        const auto seconds = secondsSince(start);
        state.SetIterationTime(seconds);
        judge(state, seconds);
        updater.reset();
    }
}
BENCHMARK(BM_ArchiveAskedForDuringSlowNotes)->UseManualTime()->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return overBudget ? 1 : 0;
}
