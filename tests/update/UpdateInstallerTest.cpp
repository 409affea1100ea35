#include "update/UpdateInstaller.h"

#include "Parlowen/Updates/SmokeUserDriver.h"
#include "platform/InMemoryUserDefaults.h"
#include "platform/RealTimeRunLoop.h"
#include "platform/SystemClock.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/TemporaryFolder.h"
#include "tests/update/UpdateTestSupport.h"
#include "update/SPUUpdater.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>

namespace {

using testing::HasSubstr;

void writeFile(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << text;
}

class UpdateInstallerTest : public testing::Test {
protected:
    void SetUp() override { writeFile(installed() / "version.txt", "1.0"); }

    std::filesystem::path installed() const { return folder.path() / "Tessaline"; }

    TemporaryFolder folder;
    update::UpdateInstaller installer{folder.path() / "Tessaline/"};
};

TEST_F(UpdateInstallerTest, SwapsTheStagedFolderIn) {
    for (const auto* layout : {"Tessaline/version.txt", "version.txt"}) {
        SCOPED_TRACE(layout);
        const auto staging = std::get<std::filesystem::path>(installer.prepareStaging());
        EXPECT_EQ(staging, folder.path() / ".Tessaline.update");
        writeFile(staging / layout, layout);

        EXPECT_EQ(installer.installStaged(), std::nullopt);

        EXPECT_EQ(TemporaryFolder::read(installed() / "version.txt"), layout);
        EXPECT_FALSE(std::filesystem::exists(staging));
        EXPECT_FALSE(std::filesystem::exists(folder.path() / ".Tessaline.previous"));
    }
}

TEST_F(UpdateInstallerTest, NothingStagedInstallsNothing) {
    const auto error = installer.installStaged();
    ASSERT_TRUE(error.has_value());
    EXPECT_THAT(error->localizedDescription, HasSubstr("No downloaded update"));
    EXPECT_EQ(TemporaryFolder::read(installed() / "version.txt"), "1.0");
}

TEST_F(UpdateInstallerTest, AMissingApplicationFolderCannotBeUpdated) {
    const update::UpdateInstaller missing(folder.path() / "Elsewhere");
    const auto problem = missing.installPermissionProblem();
    ASSERT_TRUE(problem.has_value());
    EXPECT_THAT(problem->localizedDescription, HasSubstr("was not found"));
    EXPECT_TRUE(std::holds_alternative<update::UpdateError>(missing.prepareStaging()));
}

TEST_F(UpdateInstallerTest, AnUnwritableParentFolderSaysWhy) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permissions do not bind the superuser";
    }
    std::filesystem::permissions(folder.path(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    const auto problem = installer.installPermissionProblem();
    std::filesystem::permissions(folder.path(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    ASSERT_TRUE(problem.has_value());
    EXPECT_THAT(problem->localizedDescription, HasSubstr("permission to write"));
    EXPECT_THAT(problem->localizedDescription, HasSubstr(folder.path().string()));
}

// A full cycle with the scripted driver: the update waits beside the installation and is
// swapped in when the application quits.
TEST_F(UpdateInstallerTest, UpdaterInstallsTheWaitingUpdateAtQuit) {
    using Kind = UpdateTestSupport::ArchiveEntry::Kind;
    const auto key = UpdateTestSupport::KeyPair::generate();
    const auto archive =
        UpdateTestSupport::makeTarGz({{"Tessaline/version.txt", "2.0", Kind::file, ""}});
    testsupport::LoopbackHttpServer server;
    server.respond("/a.tar.gz", {200, {}, archive});
    server.respond("/appcast.xml",
                   {200,
                    {},
                    UpdateTestSupport::appcast(UpdateTestSupport::item(
                        "2.0", server.url("/a.tar.gz"), archive.size(), key.sign(archive)))});
    platform::SystemClock clock;
    platform::RealTimeRunLoop loop(clock);
    platform::InMemoryUserDefaults defaults{
        {{"SUEnableAutomaticChecks", false}, {"SUAutomaticallyUpdate", true}}};
    Parlowen::SmokeUserDriver driver;
    bool ended = false;
    driver.complete = [&](bool, const std::string&) { ended = true; };
    update::SPUUpdater updater(
        {{key.publicKeyBase64(), "1.0", "1.0", server.url("/appcast.xml"), installed()},
         defaults,
         loop,
         std::nullopt},
        driver, nullptr);
    ASSERT_EQ(updater.startUpdater(), std::nullopt);
    EXPECT_TRUE(updater.allowsAutomaticUpdates());
    EXPECT_TRUE(updater.automaticallyDownloadsUpdates());

    updater.checkForUpdates();
    for (int turn = 0; turn < 500 && (!ended || updater.sessionInProgress()); ++turn) {
        loop.runFor(std::chrono::milliseconds(10));
    }

    ASSERT_TRUE(updater.pendingUpdate().has_value());
    EXPECT_EQ(TemporaryFolder::read(installed() / "version.txt"), "1.0");
    EXPECT_EQ(updater.installPendingUpdateOnQuit(), std::nullopt);
    EXPECT_EQ(TemporaryFolder::read(installed() / "version.txt"), "2.0");
    EXPECT_FALSE(updater.pendingUpdate().has_value());
}

TEST_F(UpdateInstallerTest, NoAutomaticUpdatesWhereTheyCannotBeInstalled) {
    platform::SystemClock clock;
    platform::RealTimeRunLoop loop(clock);
    platform::InMemoryUserDefaults defaults{{{"SUAutomaticallyUpdate", true}}};
    Parlowen::SmokeUserDriver driver;
    const update::SPUUpdater updater(
        {{std::nullopt, "1.0", "1.0", std::nullopt, folder.path() / "Missing"},
         defaults,
         loop,
         std::nullopt},
        driver, nullptr);
    EXPECT_FALSE(updater.allowsAutomaticUpdates());
    EXPECT_FALSE(updater.automaticallyDownloadsUpdates());
}

} // namespace
