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

#include <poll.h>
#include <seccomp.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <fstream>
#include <functional>
#include <set>
#include <vector>

namespace {

using testing::HasSubstr;
using Staging = update::UpdateInstaller::Staging;

void writeFile(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << text;
}

// Every path under `folder`, for telling whether anything in it changed.
std::set<std::filesystem::path> contents(const std::filesystem::path& folder) {
    std::set<std::filesystem::path> paths;
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, error)) {
        paths.insert(entry.path());
    }
    return paths;
}

// Holds a child process before each of some system calls until the parent lets it go on: the
// parent sees the file system between any two such calls, whether or not the code under test
// marks a step there, and counts them.
class SystemCallSteps {
public:
    // The calls that change a folder: a rename, a removal, a new folder.
    static std::vector<int> folderChanges() {
        return {SCMP_SYS(rename),   SCMP_SYS(renameat), SCMP_SYS(renameat2), SCMP_SYS(unlink),
                SCMP_SYS(unlinkat), SCMP_SYS(rmdir),    SCMP_SYS(mkdir),     SCMP_SYS(mkdirat)};
    }

    // In the child, before the work; `channel` is the writing end of a pipe to the parent.
    static void holdEach(int channel, const std::vector<int>& calls) {
        const scmp_filter_ctx filter = seccomp_init(SCMP_ACT_ALLOW);
        for (const int call : calls) {
            seccomp_rule_add(filter, SCMP_ACT_NOTIFY, call, 0);
        }
        const int listener = seccomp_load(filter) == 0 ? seccomp_notify_fd(filter) : -1;
        if (::write(channel, &listener, sizeof listener) != sizeof listener || listener < 0) {
            ::_exit(3);
        }
    }

    // In the parent, reading the other end of the pipe.
    SystemCallSteps(pid_t child, int channel) {
        int number = -1;
        const platform::FileDescriptor process(
            static_cast<int>(::syscall(SYS_pidfd_open, child, 0)));
        if (::read(channel, &number, sizeof number) == sizeof number && number >= 0) {
            listener = platform::FileDescriptor(
                static_cast<int>(::syscall(SYS_pidfd_getfd, process.get(), number, 0)));
        }
        seccomp_notify_alloc(&request, &response);
    }
    SystemCallSteps(const SystemCallSteps&) = delete;
    SystemCallSteps& operator=(const SystemCallSteps&) = delete;
    ~SystemCallSteps() { seccomp_notify_free(request, response); }

    // Waits until the child is held before its next call; false once it has ended (or when it
    // could not be watched).
    bool next() {
        if (listener.get() < 0) {
            return false;
        }
        pollfd ready{listener.get(), POLLIN, 0};
        while (::poll(&ready, 1, -1) < 0 && errno == EINTR) {
        }
        if ((ready.revents & POLLIN) == 0) {
            return false;
        }
        // The kernel takes only a zeroed request.
        std::memset(request, 0, sizeof *request);
        return seccomp_notify_receive(listener.get(), request) == 0;
    }
    // Lets the held child make its call.
    void proceed() {
        response->id = request->id;
        response->flags = SECCOMP_USER_NOTIF_FLAG_CONTINUE;
        seccomp_notify_respond(listener.get(), response);
    }

private:
    platform::FileDescriptor listener;
    seccomp_notif* request = nullptr;
    seccomp_notif_resp* response = nullptr;
};

class UpdateInstallerTest : public testing::Test {
protected:
    void SetUp() override { writeFile(installed() / "version.txt", "1.0"); }

    std::filesystem::path installed() const { return folder.path() / "Tessaline"; }

    // Stages an update of this version: its files, its Info file; the lock is let go.
    void stage(const std::string& version) {
        const auto staging = std::get<Staging>(installer.prepareStaging());
        for (const auto* name : {"version.txt", "lib.txt"}) {
            writeFile(staging.extractionFolder / "Tessaline" / name, version);
        }
        writeFile(staging.extractionFolder / "Tessaline/Info.json",
                  UpdateTestSupport::infoFile(version));
    }

    // The installed version; empty when the application folder is missing or mixes versions.
    std::string wholeVersion() const {
        const auto version = TemporaryFolder::read(installed() / "version.txt");
        return TemporaryFolder::read(installed() / "lib.txt") == version ? version : "";
    }

    // How a child process held before each of some system calls went.
    struct HeldRun {
        int calls = 0;
        // The child's exit status; -1 when it did not exit.
        int status = -1;
    };

    // Runs `work` (answering the exit status) in a child process held before each of `calls`,
    // `whileHeld` running in this process at each.
    static HeldRun runHeld(const std::vector<int>& calls, const std::function<int()>& work,
                           const std::function<void()>& whileHeld) {
        int channel[2];
        if (::pipe(channel) != 0) {
            return {};
        }
        const pid_t child = ::fork();
        if (child == 0) {
            SystemCallSteps::holdEach(channel[1], calls);
            ::_exit(work());
        }
        SystemCallSteps steps(child, channel[0]);
        ::close(channel[0]);
        ::close(channel[1]);
        HeldRun run;
        for (; steps.next(); steps.proceed()) {
            ++run.calls;
            whileHeld();
        }
        int status = -1;
        ::waitpid(child, &status, 0);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return run;
    }

    // Another copy of the installed application starts, as after a quit or beside this one.
    void startAnotherCopy() const {
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
    }

    TemporaryFolder folder;
    update::UpdateInstaller installer{folder.path() / "Tessaline/"};
    const std::string key = UpdateTestSupport::KeyPair::generate().publicKeyBase64();
};

TEST_F(UpdateInstallerTest, SwapsTheStagedFolderIn) {
    // One folder at the top of the archive, or the application's files themselves.
    for (const auto* layout : {"Tessaline/version.txt", "version.txt"}) {
        SCOPED_TRACE(layout);
        {
            const auto staging = std::get<Staging>(installer.prepareStaging());
            EXPECT_EQ(installer.stagingFolder(), folder.path() / ".Tessaline.update");
            writeFile(staging.extractionFolder / layout, layout);
            writeFile((staging.extractionFolder / layout).parent_path() / "lib.txt", layout);
        }

        EXPECT_EQ(installer.installStaged(), std::nullopt);

        EXPECT_EQ(TemporaryFolder::read(installed() / "version.txt"), layout);
        EXPECT_EQ(TemporaryFolder::read(installed() / "lib.txt"), layout);
        // The usual mode of an application folder, not the private staging folder's.
        EXPECT_EQ(std::filesystem::status(installed()).permissions(), std::filesystem::perms(0755));
        EXPECT_FALSE(std::filesystem::exists(installer.stagingFolder()));
    }
}

// An install is held before each change it makes to a folder, a moment between two renames
// included. There a whole application stands, and a second copy that starts or installs leaves
// both folders alone. Then the install is killed there, or goes on to the end; either way a
// whole version stands, and the next start clears what is left.
TEST_F(UpdateInstallerTest, EveryStepOfAnInstallLeavesAWholeApplication) {
    for (const bool killed : {true, false}) {
        for (int holdAt = 1;; ++holdAt) {
            SCOPED_TRACE(std::string(killed ? "killed" : "goes on") + " at change " +
                         std::to_string(holdAt));
            ASSERT_LT(holdAt, 30);
            std::filesystem::remove_all(installed());
            writeFile(installed() / "version.txt", "1.0");
            writeFile(installed() / "lib.txt", "1.0");
            stage("2.0");

            int channel[2];
            ASSERT_EQ(::pipe(channel), 0);
            const pid_t child = ::fork();
            if (child == 0) {
                SystemCallSteps::holdEach(channel[1], SystemCallSteps::folderChanges());
                ::_exit(installer.installStaged() ? 2 : 1);
            }
            SystemCallSteps steps(child, channel[0]);
            ::close(channel[0]);
            ::close(channel[1]);
            bool held = false;
            for (int change = 1; steps.next(); ++change) {
                EXPECT_THAT(wholeVersion(), testing::AnyOf("1.0", "2.0")) << "change " << change;
                if (change == holdAt) {
                    held = true;
                    const auto version = wholeVersion();
                    const auto staged = contents(installer.stagingFolder());
                    startAnotherCopy();
                    const auto error = installer.installStaged();
                    EXPECT_THAT(error.value_or(update::UpdateError{}).localizedDescription,
                                HasSubstr("Another copy of the application is updating"));
                    EXPECT_EQ(wholeVersion(), version);
                    EXPECT_EQ(contents(installer.stagingFolder()), staged);
                    if (killed) {
                        ::kill(child, SIGKILL);
                        break;
                    }
                }
                steps.proceed();
            }
            int status = -1;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            if (!killed || !held) {
                ASSERT_TRUE(WIFEXITED(status));
                EXPECT_EQ(WEXITSTATUS(status), 1) << "the install failed";
                EXPECT_EQ(wholeVersion(), "2.0");
            }
            const auto version = wholeVersion();
            EXPECT_THAT(version, testing::AnyOf("1.0", "2.0"));

            startAnotherCopy();

            EXPECT_EQ(wholeVersion(), version);
            EXPECT_FALSE(std::filesystem::exists(installer.stagingFolder()));
            if (!held) {
                break;
            }
        }
    }
}

// "Skip This Version" removes the staging folder with the lock held to the end: another install
// that tries at any moment of the removal finds it taken.
TEST_F(UpdateInstallerTest, SkippingAVersionHoldsTheLockUntilItsFolderIsGone) {
    stage("2.0");

    const auto run = runHeld(
        SystemCallSteps::folderChanges(),
        [&] {
            installer.discardStaging();
            return 0;
        },
        [&] { EXPECT_TRUE(platform::FileLock(installer.lockFile()).heldElsewhere()); });

    EXPECT_GT(run.calls, 0);
    EXPECT_EQ(run.status, 0);
    EXPECT_FALSE(std::filesystem::exists(installer.stagingFolder()));
}

// While another install holds the lock (a download here), each step that needs it gives up after
// one try, without waiting, and leaves that install's folder alone: a quit or a start never
// waits behind another install, and a second download never wipes a running one.
TEST_F(UpdateInstallerTest, AnInstallHeldElsewhereIsNeitherWaitedForNorTouched) {
    const auto holder = std::get<Staging>(installer.prepareStaging());
    writeFile(holder.extractionFolder / "Tessaline/version.txt", "2.0");
    const auto held = contents(installer.stagingFolder());
    const auto refused = [](const std::optional<update::UpdateError>& error) {
        return error && error->localizedDescription.starts_with("Another copy");
    };
    const std::pair<const char*, std::function<bool()>> attempts[] = {
        {"a second download",
         [&] {
             auto prepared = installer.prepareStaging();
             const auto* error = std::get_if<update::UpdateError>(&prepared);
             return refused(error ? std::optional(*error) : std::nullopt);
         }},
        {"an install at quit", [&] { return refused(installer.installStaged()); }},
        {"a skipped version",
         [&] {
             installer.discardStaging();
             return true;
         }},
        {"a start",
         [&] {
             installer.finishInterruptedInstall();
             return true;
         }},
    };
    for (const auto& [name, attempt] : attempts) {
        SCOPED_TRACE(name);

        const auto run = runHeld(
            {SCMP_SYS(flock)}, [&] { return attempt() ? 0 : 1; }, [] {});

        EXPECT_EQ(run.calls, 1) << "tries of the lock";
        EXPECT_EQ(run.status, 0) << "refused as held by another copy";
        EXPECT_EQ(contents(installer.stagingFolder()), held);
        EXPECT_EQ(TemporaryFolder::read(installed() / "version.txt"), "1.0");
    }
}

// An install of an earlier version renamed the application folder away before it renamed the
// new one in; stopped between the two, it left no application folder.
TEST_F(UpdateInstallerTest, TheNextStartPutsBackAnApplicationMovedAwayByAnEarlierInstall) {
    std::filesystem::rename(installed(), folder.path() / ".Tessaline.previous");

    startAnotherCopy();

    EXPECT_EQ(TemporaryFolder::read(installed() / "version.txt"), "1.0");
    EXPECT_FALSE(std::filesystem::exists(folder.path() / ".Tessaline.previous"));
}

// The installer's own check, behind the feed's choice of the newest version.
TEST_F(UpdateInstallerTest, TheInstalledVersionItselfIsNoUpdate) {
    const std::pair<const char*, bool> rows[] = {{"2.0", true}, {"1.0", false}};
    for (const auto& [version, allowed] : rows) {
        SCOPED_TRACE(version);
        stage(version);
        const auto problem = installer.stagedVersionProblem(version, "1.0");
        EXPECT_EQ(problem.has_value(), !allowed);
    }
}

// The lock file is never followed through a link nor taken when it is not a plain file.
TEST_F(UpdateInstallerTest, AnInstallRefusesALockFileThatIsNotAPlainFile) {
    const auto elsewhere = folder.path() / "elsewhere";
    const std::pair<const char*, std::function<void()>> rows[] = {
        {"a link", [&] { std::filesystem::create_symlink(elsewhere, installer.lockFile()); }},
        {"a pipe", [&] { ASSERT_EQ(::mkfifo(installer.lockFile().c_str(), 0600), 0); }},
    };
    stage("2.0");
    for (const auto& [name, plant] : rows) {
        SCOPED_TRACE(name);
        std::filesystem::remove(installer.lockFile());
        plant();

        const auto error = installer.installStaged();

        EXPECT_THAT(error.value_or(update::UpdateError{}).localizedDescription,
                    HasSubstr("the lock file"));
        EXPECT_EQ(TemporaryFolder::read(installed() / "version.txt"), "1.0");
        EXPECT_FALSE(std::filesystem::exists(elsewhere));
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
