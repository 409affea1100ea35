// The update engine's work where outside bytes decide it, in real time: deep archives refused at
// once and nested ones extracted in time linear in their entries; how soon the updater lets go
// of the network, destroyed (at quit) while the server sends nothing, or asking for the archive
// when "Install Update" is clicked while the release notes still trickle; and how soon it ends
// while hostile release notes are read or a 1 GiB archive's signature is checked. A refusal, a
// letting go or an end over its budget of one second is an error, and the program then exits
// with 1.
#include "Parlowen/Updates/SmokeUserDriver.h"
#include "bench/AttributeTag.h"
#include "platform/InMemoryUserDefaults.h"
#include "platform/RealTimeRunLoop.h"
#include "platform/SystemClock.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/update/UpdateTestSupport.h"
#include "update/ArchiveExtractor.h"
#include "update/MappedFile.h"
#include "update/SPUStandardUserDriver.h"
#include "update/SPUUpdater.h"
#include "update/UpdateCycle.h"
#include "update/UpdateDownload.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
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
                return notes;
            }
            if (archive) {
                return *archive;
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

    std::unique_ptr<update::SPUUpdater> updater(update::SPUUserDriver& driver,
                                                update::LongSteps steps = {}) {
        auto made = std::make_unique<update::SPUUpdater>(
            update::UpdaterEnvironment{
                {key.publicKeyBase64(), "1.0", "1.0", server.url("/appcast.xml"), installed()},
                defaults,
                loop,
                std::nullopt,
                {},
                std::move(steps)},
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
    // Set before the check starts. Without an archive, its request waits for the round's end.
    testsupport::HttpResponse notes{200, {}, std::string(1000, 'n'), std::chrono::milliseconds(50)};
    std::optional<testsupport::HttpResponse> archive;

private:
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

// A step of the cycle as it began and ended, for a bench that ends the updater in between.
class TimedStep {
public:
    void begin() {
        std::lock_guard lock(mutex);
        began = Clock::now();
    }
    void end() {
        std::lock_guard lock(mutex);
        ended = Clock::now();
        changed.notify_all();
    }
    bool hasBegun() {
        std::lock_guard lock(mutex);
        return began.has_value();
    }
    // The step's seconds, once it has ended on its own.
    double secondsToEnd() {
        std::unique_lock lock(mutex);
        changed.wait(lock, [this] { return ended.has_value(); });
        return std::chrono::duration<double>(*ended - *began).count();
    }

private:
    std::mutex mutex;
    std::condition_variable changed;
    std::optional<Clock::time_point> began;
    std::optional<Clock::time_point> ended;
};

// The updater's destructor, at quit, once `step` has begun; then waits for the step to end (a
// signature check goes on alone; a notes' reading has stopped by then), so that rounds do not
// overlap, and shows how long it took.
void endDuring(benchmark::State& state, HeldServer& server,
               std::unique_ptr<update::SPUUpdater> updater, TimedStep& step) {
    const auto giveUp = Clock::now() + std::chrono::seconds(30);
    while (!step.hasBegun() && Clock::now() < giveUp) {
        server.loop.runFor(std::chrono::milliseconds(1));
    }
    const auto start = Clock::now();
    updater.reset();
    const auto seconds = secondsSince(start);
    state.SetIterationTime(seconds);
    state.counters["step_s"] = step.secondsToEnd();
    judge(state, seconds);
}

// Misplaced <html>, <head> and <body> tags of about 2,200 differently named attributes each, each
// tag just under the 8 KiB a start tag may take, 2 MiB in all: libxml2 compares the names of a
// discarded tag with each other before anything is reported.
std::string hostileNotes() {
    std::string notes = "<html><head></head><body>";
    const char* tags[] = {"html", "head", "body"};
    for (std::size_t index = 0;; ++index) {
        const std::string tag = attributeTag(8000, tags[index % 3]);
        if (notes.size() + tag.size() > update::UpdateCycle::maxReleaseNotesBytes) {
            return notes;
        }
        notes += tag;
    }
}

// The updater's destructor, at quit, while its notes worker reads hostile notes.
void BM_UpdaterEndsWhileHostileNotesAreRead(benchmark::State& state) {
    for (auto _ : state) {
        HeldServer server;
        server.notes = {200, {}, hostileNotes()};
        const auto step = std::make_shared<TimedStep>();
        update::LongSteps steps;
        steps.readReleaseNotes = [step](std::string_view downloaded,
                                        const std::atomic<bool>& cancelled) {
            step->begin();
            auto notes = update::ReleaseNotes::read(downloaded, cancelled);
            step->end();
            return notes;
        };
        UpdateTestSupport::AnsweringPresenter presenter;
        update::SPUStandardUserDriver driver(presenter, nullptr, "1.0");
        auto updater = server.updater(driver, std::move(steps));
        updater->checkForUpdates();
        endDuring(state, server, std::move(updater), *step);
    }
}
BENCHMARK(BM_UpdaterEndsWhileHostileNotesAreRead)->UseManualTime()->Iterations(5);

// The updater's destructor, at quit, while its worker checks the signature of a 1 GiB archive:
// the one downloaded is small, so its check is made over a sparse file of 1 GiB instead, mapped
// as a downloaded archive is, with the full work of libsodium's check (a well-formed signature
// that does not match).
void BM_UpdaterEndsWhileA1GiBArchiveIsChecked(benchmark::State& state) {
    const ScratchFolder folder;
    const auto path = folder.path / "archive";
    const int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (descriptor < 0 || ::ftruncate(descriptor, update::UpdateDownload::maxArchiveBytes) != 0) {
        state.SkipWithError("no room for a 1 GiB file");
        return;
    }
    const auto archive = std::make_shared<const update::MappedFile>(descriptor);
    ::close(descriptor);
    for (auto _ : state) {
        HeldServer server;
        server.archive = {200, {}, std::string(1000, 'a')};
        const auto step = std::make_shared<TimedStep>();
        update::LongSteps steps;
        steps.verifySignature = [step, archive](std::string_view key,
                                                const std::optional<std::string>& signature,
                                                std::string_view) {
            step->begin();
            auto error = update::EdSignatureVerifier::verify(key, signature, archive->bytes());
            step->end();
            return error;
        };
        Parlowen::SmokeUserDriver driver;
        auto updater = server.updater(driver, std::move(steps));
        updater->checkForUpdates();
        endDuring(state, server, std::move(updater), *step);
    }
    state.counters["archive_bytes"] = static_cast<double>(archive->bytes().size());
}
BENCHMARK(BM_UpdaterEndsWhileA1GiBArchiveIsChecked)->UseManualTime()->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return overBudget ? 1 : 0;
}
