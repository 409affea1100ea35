#include "update/UpdateInstaller.h"

#include "Parlowen/Updates/SmokeUserDriver.h"
#include "platform/InMemoryUserDefaults.h"
#include "platform/RealTimeRunLoop.h"
#include "platform/SystemClock.h"
#include "tests/support/TemporaryFolder.h"
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
