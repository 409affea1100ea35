#include "update/SPUUpdater.h"

#include "Parlowen/Updates/SmokeUserDriver.h"
#include "platform/InMemoryUserDefaults.h"
#include "platform/RealTimeRunLoop.h"
#include "platform/SystemClock.h"
#include "platform/sim/VirtualRunLoop.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/TemporaryFolder.h"
#include "tests/update/UpdateTestSupport.h"
#include "update/SPUStandardUserDriver.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <random>
#include <thread>

namespace {

using Kind = UpdateTestSupport::ArchiveEntry::Kind;
using namespace std::chrono_literals;

// What the updater told its host, in order.
struct RecordingDelegate final : update::SPUUpdaterDelegate {
    void didFindValidUpdate(update::SPUUpdater&, const update::SUAppcastItem& item) override {
        calls.push_back("found " + item.versionString);
    }
    void updaterDidNotFindUpdate(update::SPUUpdater&, const update::UpdateError&) override {
        calls.push_back("not found");
    }
    void didFinishUpdateCycleFor(update::SPUUpdater&, update::SPUUpdateCheck,
                                 const std::optional<update::UpdateError>& error) override {
        ++finishedCycles;
        lastError = error;
    }

    std::vector<std::string> calls;
    int finishedCycles = 0;
    std::optional<update::UpdateError> lastError;
};

// A step of a cycle held until the test lets it go (or for a minute at most, so that a faulty
// build fails instead of hanging). Its thread shares it, so it outlives the test's objects.
class HeldStep {
public:
    // Called by the step: waits to be let go.
    void hold() {
        std::unique_lock lock(mutex);
        begun = true;
        changed.notify_all();
        changed.wait_for(lock, std::chrono::minutes(1), [this] { return released; });
    }
    // Called by the step when its own work is done.
    void end() {
        std::lock_guard lock(mutex);
        ended = true;
        changed.notify_all();
    }
    void release() {
        std::lock_guard lock(mutex);
        released = true;
        changed.notify_all();
    }
    bool hasBegun() {
        std::lock_guard lock(mutex);
        return begun;
    }
    bool hasEnded() {
        std::lock_guard lock(mutex);
        return ended;
    }
    void waitUntilEnded() {
        std::unique_lock lock(mutex);
        changed.wait_for(lock, std::chrono::minutes(1), [this] { return ended; });
    }

private:
    std::mutex mutex;
    std::condition_variable changed;
    bool begun = false;
    bool released = false;
    bool ended = false;
};

// An updater of an installed "1.0" against a loopback feed offering a signed "2.0".
class SPUUpdaterTest : public testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(installed());
        std::ofstream(installed() / "version.txt") << "1.0";
        server.respond("/a.tar.gz", {200, {}, archive});
        server.respond("/appcast.xml", {200, {}, feed});
        driver.event = [this](const std::string& text) { events.push_back(text); };
        startUpdater({});
    }

    void startUpdater(update::TransferDeadline deadline,
                      update::SPUUserDriver* userDriver = nullptr,
                      platform::RunLoop* mainLoop = nullptr, update::LongSteps steps = {}) {
        updater.reset();
        updater = std::make_unique<update::SPUUpdater>(
            update::UpdaterEnvironment{
                {key.publicKeyBase64(), "1.0", "1.0", server.url("/appcast.xml"), installed()},
                defaults,
                mainLoop ? *mainLoop : loop,
                std::nullopt,
                deadline,
                std::move(steps)},
            userDriver ? *userDriver : driver, &delegate);
        ASSERT_EQ(updater->startUpdater(), std::nullopt);
    }

    // Serves a signed "2.0" of this archive, whose release notes are "/notes.html".
    void serve(const std::string& served) {
        server.respond("/a.tar.gz", {200, {}, served});
        server.respond("/appcast.xml",
                       {200,
                        {},
                        UpdateTestSupport::appcast(UpdateTestSupport::item(
                            "2.0", server.url("/a.tar.gz"), served.size(), key.sign(served),
                            "<sparkle:releaseNotesLink>" + server.url("/notes.html") +
                                "</sparkle:releaseNotesLink>"))});
    }

    // Runs the loop until `done`, for a few thousand turns at most.
    static void runUntil(platform::RunLoop& on, const std::function<bool()>& done) {
        for (int turn = 0; turn < 3000 && !done(); ++turn) {
            on.runFor(std::chrono::milliseconds(10));
        }
    }

    bool transcriptHas(const std::string& event) const {
        const auto transcript = server.transcript();
        return std::find(transcript.begin(), transcript.end(), event) != transcript.end();
    }

    std::filesystem::path installed() const { return folder.path() / "Tessaline"; }

    // Runs the main loop until the cycle in progress has ended.
    void runCycle(platform::RunLoop* mainLoop = nullptr) {
        const int before = delegate.finishedCycles;
        runUntil(mainLoop ? *mainLoop : loop, [&] { return delegate.finishedCycles != before; });
        ASSERT_EQ(delegate.finishedCycles, before + 1);
    }

    TemporaryFolder folder;
    testsupport::LoopbackHttpServer server;
    UpdateTestSupport::KeyPair key = UpdateTestSupport::KeyPair::generate();
    const std::string archive = UpdateTestSupport::makeTarGz(
        {{"Tessaline/version.txt", "2.0", Kind::file, ""},
         {"Tessaline/Info.json", UpdateTestSupport::infoFile("2.0"), Kind::file, ""}});
    const std::string feed = UpdateTestSupport::appcast(
        UpdateTestSupport::item("2.0", server.url("/a.tar.gz"), archive.size(), key.sign(archive)));
    platform::SystemClock clock;
    platform::RealTimeRunLoop loop{clock};
    platform::InMemoryUserDefaults defaults{
        {{"SUEnableAutomaticChecks", false}, {"SUAutomaticallyUpdate", true}}};
    Parlowen::SmokeUserDriver driver;
    UpdateTestSupport::AnsweringPresenter presenter;
    update::SPUStandardUserDriver standardDriver{presenter, nullptr, "1.0"};
    std::vector<std::string> events;
    RecordingDelegate delegate;
    std::unique_ptr<update::SPUUpdater> updater;
};

TEST_F(SPUUpdaterTest, InstallsTheWaitingUpdateAtQuit) {
    updater->checkForUpdates();
    runCycle();

    ASSERT_TRUE(updater->pendingUpdate().has_value());
    EXPECT_EQ(TemporaryFolder::read(installed() / "version.txt"), "1.0");
    EXPECT_EQ(updater->installPendingUpdateOnQuit(), std::nullopt);
    EXPECT_EQ(TemporaryFolder::read(installed() / "version.txt"), "2.0");
    EXPECT_FALSE(updater->pendingUpdate().has_value());
}

TEST_F(SPUUpdaterTest, AutomaticDownloadsShowNothingAndWaitForQuit) {
    ASSERT_TRUE(updater->automaticallyDownloadsUpdates());
    updater->checkForUpdatesInBackground();
    runCycle();

    EXPECT_TRUE(events.empty());
    EXPECT_EQ(delegate.calls, std::vector<std::string>{"found 2.0"});
    ASSERT_TRUE(updater->pendingUpdate().has_value());
    EXPECT_EQ(updater->pendingUpdate()->versionString, "2.0");
    EXPECT_TRUE(updater->canCheckForUpdates());
}

TEST_F(SPUUpdaterTest, ATricklingServerEndsTheCycleAtTheDeadline) {
    startUpdater({.minimumBytesPerSecond = 1e9, .floor = 200ms, .ceiling = 200ms});
    const std::pair<const char*, const std::string&> transfers[] = {{"/appcast.xml", feed},
                                                                    {"/a.tar.gz", archive}};
    for (const auto& [path, body] : transfers) {
        SCOPED_TRACE(path);
        server.respond("/appcast.xml", {200, {}, feed});
        server.respond(path, {200, {}, body, 20ms});

        updater->checkForUpdates();
        runCycle();

        ASSERT_TRUE(delegate.lastError.has_value());
        EXPECT_EQ(delegate.lastError->localizedDescription,
                  "The server is too slow: the transfer did not finish within 0.2 seconds.");
        EXPECT_EQ(TemporaryFolder::read(installed() / "version.txt"), "1.0");
    }
}

// Release notes that arrive slowly (or never end) do not hold the archive back: "Install
// Update" while they still arrive asks for the archive at once, and stops the notes, which were
// for the found window alone.
TEST_F(SPUUpdaterTest, SlowReleaseNotesDoNotHoldTheArchiveBack) {
    serve(archive);
    // The archive takes a while too, so what happens to the notes meanwhile shows.
    server.respond("/a.tar.gz", {200, {}, archive, 5ms});
    server.respond("/notes.html", {200, {}, std::string(500, 'n'), 20ms});
    startUpdater({}, &standardDriver);

    updater->checkForUpdates();
    runUntil(loop, [&] { return presenter.answer && transcriptHas("GET /notes.html"); });
    ASSERT_TRUE(presenter.answer);
    presenter.answer(update::SPUUserUpdateChoice::install);
    runCycle();

    const auto transcript = server.transcript();
    const auto position = [&](const std::string& event) {
        return std::find(transcript.begin(), transcript.end(), event) - transcript.begin();
    };
    EXPECT_LT(position("GET /a.tar.gz"), position("/notes.html sent"));
    EXPECT_LT(position("/notes.html left"), position("/a.tar.gz sent"));
    EXPECT_TRUE(updater->pendingUpdate().has_value());
}

// An updater destroyed (at quit) while a transfer runs leaves it at once: its end does not
// wait for the body the server is still sending, nor for a server that sends nothing.
TEST_F(SPUUpdaterTest, ADestroyedUpdaterLeavesItsTransferAtOnce) {
    struct Row {
        const char* name;
        std::string path;
        testsupport::HttpResponse response;
        update::SPUUserDriver* userDriver;
    };
    const Row rows[] = {
        {"notes still arriving",
         "/notes.html",
         {200, {}, std::string(500, 't'), 20ms},
         &standardDriver},
        {"an archive still arriving", "/a.tar.gz", {200, {}, archive, 20ms}, nullptr},
        {"a silent server", "/a.tar.gz", {200, {}, "t", 2s}, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        serve(archive);
        server.respond("/notes.html", {200, {}, "notes"});
        server.respond(row.path, row.response);
        startUpdater({}, row.userDriver);
        const auto requests = server.requests().size();
        updater->checkForUpdates();
        const auto asked = [&] {
            const auto seen = server.requests();
            return std::any_of(seen.begin() + static_cast<std::ptrdiff_t>(requests), seen.end(),
                               [&](const auto& request) { return request.path == row.path; });
        };
        runUntil(loop, asked);
        ASSERT_TRUE(asked());

        updater.reset();

        EXPECT_FALSE(transcriptHas(row.path + " sent"));
    }
}

// The updater's end (at quit) does not wait for the archive's signature check, one libsodium
// call that may take seconds: it returns while the check is held. What the check brings later
// reaches nobody, and nothing of the download stays.
TEST_F(SPUUpdaterTest, TheEndLeavesTheSignatureCheckBehind) {
    const auto held = std::make_shared<HeldStep>();
    update::LongSteps steps;
    steps.verifySignature = [held](std::string_view key,
                                   const std::optional<std::string>& signature,
                                   std::string_view archive) {
        held->hold();
        auto error = update::EdSignatureVerifier::verify(key, signature, archive);
        held->end();
        return error;
    };
    startUpdater({}, nullptr, nullptr, std::move(steps));
    updater->checkForUpdates();
    runUntil(loop, [&] { return held->hasBegun(); });
    ASSERT_TRUE(held->hasBegun());
    const auto eventsBefore = events;
    const auto callsBefore = delegate.calls;
    const int cyclesBefore = delegate.finishedCycles;

    updater.reset();

    EXPECT_FALSE(held->hasEnded()) << "the end waited for the check";
    EXPECT_FALSE(std::filesystem::exists(folder.path() / ".Tessaline.update"));
    held->release();
    held->waitUntilEnded();
    loop.runFor(100ms);
    EXPECT_EQ(events, eventsBefore);
    EXPECT_EQ(delegate.calls, callsBefore);
    EXPECT_EQ(delegate.finishedCycles, cyclesBefore);
    EXPECT_EQ(TemporaryFolder::read(installed() / "version.txt"), "1.0");
}

// The release notes' reading uses libxml2, whose own teardown at the process's exit frees what
// a reading still running would use: the updater's end stops the reading and waits for it, so
// none of it runs afterwards. The reading here begins just as the updater ends, and is slow;
// the reader itself then stops before its first slice.
TEST_F(SPUUpdaterTest, TheEndStopsTheNotesReadingAndWaitsForIt) {
    struct Probe {
        std::atomic<bool> began = false;
        std::atomic<bool> endReturned = false;
        std::atomic<bool> ranAfterTheEnd = false;
        std::atomic<std::ptrdiff_t> paragraphsRead = 0;
    };
    const auto probe = std::make_shared<Probe>();
    update::LongSteps steps;
    steps.readReleaseNotes = [probe](std::string_view downloaded,
                                     const std::atomic<bool>& cancelled) {
        probe->began = true;
        for (int look = 0; look < 6000 && !cancelled.load(); ++look) {
            std::this_thread::sleep_for(10ms);
        }
        std::this_thread::sleep_for(50ms);
        auto notes = update::ReleaseNotes::read(downloaded, cancelled);
        probe->paragraphsRead =
            std::count_if(notes.blocks().begin(), notes.blocks().end(), [](const auto& block) {
                return !block.runs.empty() && block.runs.front().text == "Faster scans.";
            });
        probe->ranAfterTheEnd = probe->endReturned.load();
        return notes;
    };
    serve(archive);
    std::string notes;
    for (int paragraph = 0; paragraph < 50000; ++paragraph) {
        notes += "<p>Faster scans.</p>";
    }
    server.respond("/notes.html", {200, {}, notes});
    UpdateTestSupport::AnsweringPresenter notesPresenter;
    update::SPUStandardUserDriver notesDriver{notesPresenter, nullptr, "1.0"};
    startUpdater({}, &notesDriver, nullptr, std::move(steps));
    updater->checkForUpdates();
    runUntil(loop, [&] { return probe->began.load(); });
    ASSERT_TRUE(probe->began);

    updater.reset();
    probe->endReturned = true;

    std::this_thread::sleep_for(100ms);
    EXPECT_FALSE(probe->ranAfterTheEnd) << "the end left the reading behind";
    EXPECT_EQ(probe->paragraphsRead, 0) << "the reading went on once cancelled";
    EXPECT_EQ(notesPresenter.releaseNotesShown, 0);
}

// The process can end while a step is left behind: the exit neither waits for its thread nor
// stumbles over it, and the leak check at exit finds what it holds still in use. The step here
// is held for good; were the exit to wait for it, it would go on after a minute and end the
// process with status 3.
TEST_F(SPUUpdaterTest, TheProcessEndsWhileAStepIsLeftBehind) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const auto held = std::make_shared<HeldStep>();
            update::LongSteps steps;
            steps.verifySignature = [held](std::string_view, const std::optional<std::string>&,
                                           std::string_view) -> std::optional<update::UpdateError> {
                held->hold();
                std::_Exit(3);
            };
            startUpdater({}, nullptr, nullptr, std::move(steps));
            updater->checkForUpdates();
            runUntil(loop, [&] { return held->hasBegun(); });
            updater.reset();
            std::exit(held->hasBegun() ? 0 : 2);
        },
        testing::ExitedWithCode(0), "");
}

// However many chunks a download arrives in, its progress waits on the main loop as one post
// at most, and the figures shown last are the final ones. The worker runs on the virtual loop
// itself, so every post of a download waits until it is over.
TEST_F(SPUUpdaterTest, ProgressReachesTheMainLoopAsOnePendingPost) {
    std::mt19937 noise(7);
    std::string payload(512 << 10, '\0');
    for (auto& byte : payload) {
        byte = static_cast<char>(noise());
    }
    const auto large = UpdateTestSupport::makeTarGz(
        {{"Tessaline/payload", payload, Kind::file, ""},
         {"Tessaline/version.txt", "2.0", Kind::file, ""},
         {"Tessaline/Info.json", UpdateTestSupport::infoFile("2.0"), Kind::file, ""}});
    serve(large);
    platform::sim::VirtualClock virtualClock;
    platform::sim::VirtualRunLoop virtualLoop(virtualClock);
    startUpdater({}, nullptr, &virtualLoop);

    updater->checkForUpdates();
    runCycle(&virtualLoop);

    std::vector<std::string> progress;
    std::copy_if(events.begin(), events.end(), std::back_inserter(progress),
                 [](const std::string& event) { return event.find("-progress") != event.npos; });
    const auto size = std::to_string(large.size());
    EXPECT_EQ(progress,
              (std::vector<std::string>{"download-progress bytes=" + size + " expected=" + size,
                                        "extract-progress 1.000"}));
    EXPECT_TRUE(updater->pendingUpdate().has_value());
    updater.reset();
}

TEST_F(SPUUpdaterTest, ASkippedVersionIsOfferedOnlyWhenAsked) {
    defaults.set("SUSkippedVersion", std::string("2.0"));

    updater->checkForUpdatesInBackground();
    runCycle();
    updater->checkForUpdates();
    runCycle();

    EXPECT_EQ(delegate.calls, (std::vector<std::string>{"not found", "found 2.0"}));
}

} // namespace
