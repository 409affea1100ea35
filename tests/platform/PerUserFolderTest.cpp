#include "platform/linux/PerUserFolder.h"
#include "platform/RecordingLogSink.h"
#include "platform/SystemClock.h"
#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace platform;
namespace PerUserFolder = native::PerUserFolder;

struct FolderRig {
    TemporaryFolder parent;
    SystemClock clock;
    RecordingLogSink log;
    Logger logger{log, clock, "app.tessaline.Tessaline", "Test"};
};

mode_t modeOf(const std::filesystem::path& path) {
    struct stat status {};
    ::lstat(path.c_str(), &status);
    return status.st_mode & 07777;
}

TEST(PerUserFolder, DefaultIsUnderTheRuntimeFolderElseUnderTmp) {
    const std::string fallback = "/tmp/tessaline-" + std::to_string(::geteuid());
    EXPECT_EQ(PerUserFolder::defaultPath({{"XDG_RUNTIME_DIR", "/run/user/1000"}}),
              "/run/user/1000/tessaline");
    EXPECT_EQ(PerUserFolder::defaultPath({}), fallback);
    EXPECT_EQ(PerUserFolder::defaultPath({{"XDG_RUNTIME_DIR", "relative/run"}}), fallback);
    EXPECT_EQ(PerUserFolder::defaultPath({{"XDG_RUNTIME_DIR", ""}}), fallback);
}

TEST(PerUserFolder, IsCreatedClosedToEveryoneElse) {
    FolderRig rig;
    const auto path = rig.parent.path() / "tessaline";
    EXPECT_EQ(PerUserFolder::prepare(path, rig.logger), path);
    EXPECT_EQ(modeOf(path), 0700u);
    EXPECT_EQ(PerUserFolder::prepare(path, rig.logger), path) << "an existing sound folder";
}

TEST(PerUserFolder, FolderOpenToGroupOrOthersIsRefusedWithALogLine) {
    for (const mode_t mode : {0750, 0705, 0777}) {
        FolderRig rig;
        const auto path = rig.parent.path() / "tessaline";
        ASSERT_EQ(::mkdir(path.c_str(), 0700), 0);
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        EXPECT_FALSE(PerUserFolder::prepare(path, rig.logger)) << std::oct << mode;
        EXPECT_TRUE(rig.log.contains("open to group or others")) << std::oct << mode;
    }
}

TEST(PerUserFolder, FolderOfAnotherOwnerIsRefusedWithALogLine) {
    FolderRig rig;
    std::filesystem::path path = rig.parent.path() / "tessaline";
    if (::geteuid() == 0) {
        ASSERT_EQ(::mkdir(path.c_str(), 0700), 0);
        ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
    } else {
        path = "/"; // owned by root
    }
    EXPECT_FALSE(PerUserFolder::prepare(path, rig.logger));
    EXPECT_TRUE(rig.log.contains("not owned by this user"));
}

TEST(PerUserFolder, LinkInPlaceOfTheFolderIsRefused) {
    FolderRig rig;
    const auto real = rig.parent.path() / "real";
    ASSERT_EQ(::mkdir(real.c_str(), 0700), 0);
    const auto path = rig.parent.path() / "tessaline";
    std::filesystem::create_directory_symlink(real, path);
    EXPECT_FALSE(PerUserFolder::prepare(path, rig.logger));
    EXPECT_TRUE(rig.log.contains("refused the per-user folder"));
}

} // namespace
