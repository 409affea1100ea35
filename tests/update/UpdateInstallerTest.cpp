#include "update/UpdateInstaller.h"

#include "Parlowen/Updates/SmokeUserDriver.h"
#include "platform/InMemoryUserDefaults.h"
#include "platform/RealTimeRunLoop.h"
#include "platform/SystemClock.h"
#include "tests/support/TemporaryFolder.h"
#include "tests/update/UpdateTestSupport.h"
#include "update/SPUUpdater.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>
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
    // One folder at the top of the archive, or the application's files themselves.
    for (const auto* layout : {"Tessaline/version.txt", "version.txt"}) {
        SCOPED_TRACE(layout);
        const auto extraction = std::get<std::filesystem::path>(installer.prepareStaging());
        EXPECT_EQ(installer.stagingFolder(), folder.path() / ".Tessaline.update");
        writeFile(extraction / layout, layout);
        writeFile((extraction / layout).parent_path() / "lib.txt", layout);

        EXPECT_EQ(installer.installStaged(), std::nullopt);

        EXPECT_EQ(TemporaryFolder::read(installed() / "version.txt"), layout);
        EXPECT_EQ(TemporaryFolder::read(installed() / "lib.txt"), layout);
        // The usual mode of an application folder, not the private staging folder's.
        EXPECT_EQ(std::filesystem::status(installed()).permissions(), std::filesystem::perms(0755));
        EXPECT_FALSE(std::filesystem::exists(installer.stagingFolder()));
    }
}

// A process stopped between any two steps of an install leaves a whole application, the old
// version or the new, and the next start clears what the install left behind.
TEST_F(UpdateInstallerTest, AnInstallCutShortLeavesAWholeApplication) {
    const auto key = UpdateTestSupport::KeyPair::generate().publicKeyBase64();
    for (int stopAt = 1;; ++stopAt) {
        SCOPED_TRACE(stopAt);
        ASSERT_LT(stopAt, 10);
        std::filesystem::remove_all(installed());
        writeFile(installed() / "version.txt", "1.0");
        writeFile(installed() / "lib.txt", "1.0");
        const auto extraction = std::get<std::filesystem::path>(installer.prepareStaging());
        writeFile(extraction / "Tessaline/version.txt", "2.0");
        writeFile(extraction / "Tessaline/lib.txt", "2.0");

        const pid_t child = ::fork();
        if (child == 0) {
            int steps = 0;
            update::UpdateInstaller cut = installer;
            cut.setBetweenSteps([&] {
                if (++steps == stopAt) {
                    ::_exit(0);
                }
            });
            ::_exit(cut.installStaged() ? 2 : 1);
        }
        int status = -1;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        const bool finished = WEXITSTATUS(status) == 1;
        ASSERT_TRUE(finished || WEXITSTATUS(status) == 0);

        const auto version = TemporaryFolder::read(installed() / "version.txt");
        EXPECT_THAT(version, testing::AnyOf("1.0", "2.0"));
        EXPECT_EQ(TemporaryFolder::read(installed() / "lib.txt"), version);

        // The next start.
        platform::SystemClock clock;
        platform::RealTimeRunLoop loop(clock);
        platform::InMemoryUserDefaults defaults{{{"SUEnableAutomaticChecks", false}}};
        Parlowen::SmokeUserDriver driver;
        update::SPUUpdater updater(
            {{key, "1.0", "1.0", "http://127.0.0.1:9/appcast.xml", installed()},
             defaults,
             loop,
             std::nullopt},
            driver, nullptr);
        ASSERT_EQ(updater.startUpdater(), std::nullopt);

        EXPECT_EQ(TemporaryFolder::read(installed() / "version.txt"), version);
        EXPECT_EQ(TemporaryFolder::read(installed() / "lib.txt"), version);
        EXPECT_FALSE(std::filesystem::exists(installer.stagingFolder()));
        if (finished) {
            EXPECT_EQ(version, "2.0");
            break;
        }
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
