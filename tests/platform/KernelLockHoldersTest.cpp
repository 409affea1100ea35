#include "platform/linux/KernelLockHolders.h"
#include "platform/linux/ProcLocks.h"
#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>

namespace {

using namespace platform::native;

// The holder of a file's flock is looked up under the name the kernel gives the file (read from
// the probe's own lock line), never under another device's file of the same inode number, as
// btrfs subvolumes have: not a waiter's line, not another kind of lock.
TEST(ProcLocksTest, TheFlockHolderIsFoundUnderTheKernelsNameOfTheFile) {
    const std::string fdinfo = "pos:\t0\nflags:\t0100002\nmnt_id:\t28\nino:\t5678\n"
                               "lock:\t1: OFDLCK ADVISORY  READ -1 00:2d:5678 0 EOF\n";
    const struct {
        const char* name;
        std::string fdinfo;
        const char* locks;
        std::optional<pid_t> holder;
    } rows[] = {
        {"the holder", fdinfo, "1: FLOCK  ADVISORY  WRITE 1234 00:2d:5678 0 EOF\n", 1234},
        {"a waiter before the holder", fdinfo,
         "1: -> FLOCK  ADVISORY  WRITE 999 00:2d:5678 0 EOF\n"
         "2: FLOCK  ADVISORY  WRITE 1234 00:2d:5678 0 EOF\n",
         1234},
        {"the same inode of another subvolume first", fdinfo,
         "1: FLOCK  ADVISORY  WRITE 999 00:31:5678 0 EOF\n"
         "2: FLOCK  ADVISORY  WRITE 1234 00:2d:5678 0 EOF\n",
         1234},
        {"the same inode of another subvolume alone", fdinfo,
         "1: FLOCK  ADVISORY  WRITE 999 00:31:5678 0 EOF\n", std::nullopt},
        {"a POSIX lock on the file", fdinfo, "1: POSIX  ADVISORY  WRITE 1234 00:2d:5678 0 EOF\n",
         std::nullopt},
        {"another inode", fdinfo, "1: FLOCK  ADVISORY  WRITE 1234 00:2d:56789 0 EOF\n",
         std::nullopt},
        {"no lock line in fdinfo", "pos:\t0\nflags:\t0100002\n",
         "1: FLOCK  ADVISORY  WRITE 1234 00:2d:5678 0 EOF\n", std::nullopt},
        {"nothing locked", fdinfo, "", std::nullopt},
    };
    for (const auto& row : rows) {
        std::istringstream info(row.fdinfo);
        std::istringstream locks(row.locks);
        const auto file = ProcLocks::lockedFileIn(info);
        EXPECT_EQ(file ? ProcLocks::flockHolderIn(locks, *file) : std::nullopt, row.holder)
            << row.name;
    }
}

enum Outcome { found = 0, notFound = 1, cannotBeMade = 2 };

// In a child process of its own: locks a file in `folder` through one descriptor and looks the
// holder up through another; it is the child itself. With `overlay`, the folder is first made
// an overlay (in a mount namespace of the child's, gone with it) whose lower layer is a fresh
// tmpfs and whose upper one is on the temporary folder's file system: stat's device of its
// files is then not the one the kernel's lock list shows.
Outcome lookUpOwnHolder(const std::filesystem::path& folder, bool overlay) {
    const pid_t child = ::fork();
    if (child == 0) {
        const auto lower = folder / "lower";
        const auto upper = folder / "upper";
        const auto work = folder / "work";
        const auto merged = folder / "merged";
        std::filesystem::path file = folder / "held.lock";
        if (overlay) {
            std::error_code error;
            for (const auto& path : {lower, upper, work, merged}) {
                std::filesystem::create_directory(path, error);
            }
            const std::string layers = "lowerdir=" + lower.string() +
                                       ",upperdir=" + upper.string() + ",workdir=" + work.string();
            if (::unshare(CLONE_NEWNS) != 0 ||
                ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                ::mount("tmpfs", lower.c_str(), "tmpfs", 0, nullptr) != 0 ||
                ::mount("overlay", merged.c_str(), "overlay", 0, layers.c_str()) != 0) {
                ::_exit(cannotBeMade);
            }
            file = merged / "held.lock";
        }
        const int holding = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        const int looking = ::open(file.c_str(), O_RDWR | O_CLOEXEC);
        if (holding < 0 || looking < 0 || ::flock(holding, LOCK_EX) != 0) {
            ::_exit(cannotBeMade);
        }
        const auto holder = KernelLockHolders().ofFile(looking);
        ::_exit(holder == platform::LockHolder{::getpid(), ::geteuid()} ? found : notFound);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return cannotBeMade;
    }
    return static_cast<Outcome>(WEXITSTATUS(status));
}

// The holder of a file's lock, with its pid and user, on the file systems at hand; the overlay
// needs root (and a kernel that lets it mount one), the row is skipped without.
TEST(KernelLockHoldersTest, TheHolderOfAFilesLockIsFound) {
    const struct {
        const char* name;
        bool overlay;
    } rows[] = {{"a temporary folder", false}, {"an overlay on two file systems", true}};
    for (const auto& row : rows) {
        TemporaryFolder folder;
        const Outcome outcome = lookUpOwnHolder(folder.path(), row.overlay);
        if (outcome == cannotBeMade && row.overlay) {
            std::cout << "skipped row \"" << row.name << "\": no overlay can be mounted here\n";
            continue;
        }
        EXPECT_EQ(outcome, found) << row.name;
    }
}

} // namespace
