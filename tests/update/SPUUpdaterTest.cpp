#include "update/SPUUpdater.h"

#include "Parlowen/Updates/SmokeUserDriver.h"
#include "platform/InMemoryUserDefaults.h"
#include "platform/RealTimeRunLoop.h"
#include "platform/SystemClock.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/TemporaryFolder.h"
#include "tests/update/UpdateTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

using Kind = UpdateTestSupport::ArchiveEntry::Kind;

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

    void startUpdater(update::TransferDeadline deadline) {
        updater.reset();
        updater = std::make_unique<update::SPUUpdater>(
            update::UpdaterEnvironment{
                {key.publicKeyBase64(), "1.0", "1.0", server.url("/appcast.xml"), installed()},
                defaults,
                loop,
                std::nullopt,
                deadline},
            driver, &delegate);
        ASSERT_EQ(updater->startUpdater(), std::nullopt);
    }

    std::filesystem::path installed() const { return folder.path() / "Tessaline"; }

    // Runs the main loop until the cycle in progress has ended.
    void runCycle() {
        const int before = delegate.finishedCycles;
        for (int turn = 0; turn < 500 && delegate.finishedCycles == before; ++turn) {
            loop.runFor(std::chrono::milliseconds(10));
        }
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
    using namespace std::chrono_literals;
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

TEST_F(SPUUpdaterTest, ASkippedVersionIsOfferedOnlyWhenAsked) {
    defaults.set("SUSkippedVersion", std::string("2.0"));

    updater->checkForUpdatesInBackground();
    runCycle();
    updater->checkForUpdates();
    runCycle();

    EXPECT_EQ(delegate.calls, (std::vector<std::string>{"not found", "found 2.0"}));
}

} // namespace
