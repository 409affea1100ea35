#include "app/SingleInstanceGuard.h"
#include "platform/RecordingLogSink.h"
#include "platform/ReferenceDate.h"
#include "platform/linux/KernelLockHolders.h"
#include "platform/sim/SimAppServices.h"
#include "platform/sim/VirtualClock.h"
#include "tests/support/ChildProcesses.h"
#include "tests/support/TemporaryFolder.h"
#include "tests/support/VirtualDesktop.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <functional>

namespace {
using Parlowen::RunningApplicationSnapshot;
using Parlowen::SingleInstanceFileLock;
using Parlowen::SingleInstanceGuard;
using Parlowen::SingleInstanceLaunchDecision;
using Parlowen::SingleInstancePolicy;
using platform::WallTime;

constexpr const char* bundle = "app.tessaline.Tessaline";
const platform::native::KernelLockHolders kernel;

WallTime at(int seconds) {
    return WallTime(std::chrono::seconds(seconds));
}

std::string contents(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), {});
}

TEST(SingleInstancePolicyTest, GivesWayOnlyToACopyLaunchedStrictlyEarlier) {
    struct Row {
        const char* name;
        std::optional<std::string> bundleIdentifier;
        std::optional<WallTime> ownLaunch;
        std::vector<RunningApplicationSnapshot> running;
        SingleInstanceLaunchDecision expected;
    };
    const auto copy = [](pid_t pid, std::optional<WallTime> date, bool terminated = false,
                         std::optional<std::string> id = std::string(bundle)) {
        return RunningApplicationSnapshot{pid, std::move(id), date, terminated};
    };
    using D = SingleInstanceLaunchDecision;
    const std::vector<Row> rows = {
        {"no bundle identifier", std::nullopt, at(10), {copy(5, at(1))}, D::continueLaunch()},
        {"nobody else", bundle, at(10), {copy(50, at(10))}, D::continueLaunch()},
        {"an older copy", bundle, at(10), {copy(7, at(5))}, D::activateExisting(7)},
        {"the oldest of two",
         bundle,
         at(10),
         {copy(7, at(5)), copy(8, at(3))},
         D::activateExisting(8)},
        {"same date: the smaller pid",
         bundle,
         at(10),
         {copy(9, at(5)), copy(8, at(5))},
         D::activateExisting(8)},
        {"a newer copy does not count", bundle, at(10), {copy(7, at(20))}, D::continueLaunch()},
        {"launched together, smaller pid goes on",
         bundle,
         at(10),
         {copy(60, at(10))},
         D::continueLaunch()},
        {"launched together, larger pid gives way",
         bundle,
         at(10),
         {copy(40, at(10))},
         D::activateExisting(40)},
        {"terminated copy ignored", bundle, at(10), {copy(7, at(5), true)}, D::continueLaunch()},
        {"another bundle ignored",
         bundle,
         at(10),
         {copy(7, at(5), false, "other")},
         D::continueLaunch()},
        {"a dated copy before an undated one",
         bundle,
         at(10),
         {copy(3, std::nullopt), copy(7, at(5))},
         D::activateExisting(7)},
        {"an undated copy is not earlier than this dated one",
         bundle,
         at(10),
         {copy(3, std::nullopt)},
         D::continueLaunch()},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(SingleInstancePolicy().launchDecision(50, row.bundleIdentifier, row.ownLaunch,
                                                        row.running),
                  row.expected)
            << row.name;
    }
}

TEST(SingleInstanceFileLockTest, HoldsExactlyItsPidCloseOnExec) {
    TemporaryFolder folder;
    const auto path = folder.path() / "Tessaline" / "Tessaline.lock";
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << "1234567890\n";
    SingleInstanceFileLock lock(path, kernel);
    ASSERT_EQ(lock.acquire(42), SingleInstanceFileLock::AcquireResult::acquired);
    EXPECT_EQ(contents(path), "42\n");
    EXPECT_TRUE(::fcntl(lock.fileDescriptor(), F_GETFD) & FD_CLOEXEC);
    EXPECT_EQ(lock.acquire(43), SingleInstanceFileLock::AcquireResult::acquired);
    EXPECT_EQ(contents(path), "42\n");

    SingleInstanceFileLock second(path, kernel);
    EXPECT_EQ(second.acquire(99), SingleInstanceFileLock::AcquireResult::heldByAnotherProcess);
    EXPECT_EQ(second.fileDescriptor(), -1);
    lock.release();
    EXPECT_EQ(second.acquire(99), SingleInstanceFileLock::AcquireResult::acquired);
    EXPECT_EQ(contents(path), "99\n");
}

// A lock path that cannot be used is never followed or written through; the lock is taken by
// name instead, which a second lock on the same path then finds held.
TEST(SingleInstanceFileLockTest, AnUnusableLockPathIsLockedByNameInstead) {
    // Each row plants into a data folder holding an empty "Tessaline" folder and a folder
    // "elsewhere" holding a file.
    const struct {
        const char* name;
        std::function<void(const std::filesystem::path& lock, const std::filesystem::path& target)>
            plant;
        const char* reason;
    } rows[] = {
        {"link to nothing",
         [](const auto& lock, const auto& target) {
             std::filesystem::create_symlink(target / "missing", lock);
         },
         "a symbolic link is at its path"},
        {"link to a file",
         [](const auto& lock, const auto& target) {
             std::filesystem::create_symlink(target / "file", lock);
         },
         "a symbolic link is at its path"},
        {"folder", [](const auto& lock, const auto&) { std::filesystem::create_directory(lock); },
         "a folder is at its path"},
        {"a file where its folder belongs",
         [](const auto& lock, const auto&) {
             std::filesystem::remove(lock.parent_path());
             std::ofstream(lock.parent_path()) << "keep\n";
         },
         "its folder cannot be made"},
    };
    for (const auto& row : rows) {
        TemporaryFolder folder;
        const auto target = folder.path() / "elsewhere";
        std::filesystem::create_directories(target);
        std::ofstream(target / "file") << "keep\n";
        const auto path = folder.path() / "Tessaline" / "Tessaline.lock";
        std::filesystem::create_directories(path.parent_path());
        row.plant(path, target);
        platform::RecordingLogSink log;
        platform::sim::VirtualClock clock;
        SingleInstanceFileLock first(path, kernel, platform::Logger(log, clock, "test", "lock"));
        ASSERT_EQ(first.acquire(1), SingleInstanceFileLock::AcquireResult::acquired) << row.name;
        EXPECT_TRUE(log.contains(row.reason)) << row.name;
        EXPECT_EQ(contents(target / "file"), "keep\n") << row.name;
        EXPECT_FALSE(std::filesystem::exists(target / "missing")) << row.name;

        SingleInstanceFileLock second(path, kernel, platform::Logger(log, clock, "test", "lock"));
        EXPECT_EQ(second.acquire(2), SingleInstanceFileLock::AcquireResult::heldByAnotherProcess)
            << row.name;
        EXPECT_FALSE(log.contains("held by a process of user")) << row.name;
        first.release();
        EXPECT_EQ(second.acquire(2), SingleInstanceFileLock::AcquireResult::acquired) << row.name;
    }
}

// Any process can bind an abstract name, and a process of another user that may open the lock
// file (root's, say) can hold its lock. Either turns this start away, and says who. The holder
// is a child made from root: for the name it drops root after its lock was made (so the name is
// this user's) and then binds it; for the file it locks the file and then drops root.
TEST(SingleInstanceFileLockTest, ALockHeldByAnotherUserNamesTheHolder) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "acting as another user needs root";
    }
    const struct {
        const char* name;
        bool byName;
    } rows[] = {{"the name", true}, {"the file", false}};
    for (const auto& row : rows) {
        TemporaryFolder folder;
        const auto path = folder.path() / "Tessaline" / "Tessaline.lock";
        if (row.byName) {
            std::filesystem::create_directories(path); // a folder where the lock file belongs
        }
        SingleInstanceFileLock holder(path, kernel);
        const pid_t child = startHoldingChild([&] {
            const auto acquired = [&] {
                return holder.acquire(7) == SingleInstanceFileLock::AcquireResult::acquired;
            };
            return row.byName ? ::setuid(65534) == 0 && acquired()
                              : acquired() && ::setuid(65534) == 0;
        });
        ASSERT_GT(child, 0) << row.name;

        platform::RecordingLogSink log;
        platform::sim::VirtualClock clock;
        SingleInstanceFileLock second(path, kernel, platform::Logger(log, clock, "test", "lock"));
        const auto result = second.acquire(2);
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        EXPECT_EQ(result, SingleInstanceFileLock::AcquireResult::heldByAnotherUser) << row.name;
        const std::string holderName = row.byName ? "name is held by a process"
                                                  : "is held by process " + std::to_string(child);
        EXPECT_TRUE(log.contains(holderName + " of user 65534")) << row.name;
    }
}

// When the holder of the file's lock cannot be found, the start takes it for a copy of this
// user's (which it asks to come forward) and says so.
TEST(SingleInstanceFileLockTest, AHolderThatCannotBeFoundIsTakenForACopyAndSaidSo) {
    struct NobodyFound final : platform::LockHolders {
        std::optional<platform::LockHolder> ofFile(int) const override { return std::nullopt; }
        std::optional<platform::LockHolder> ofSocketName(const std::string&) const override {
            return std::nullopt;
        }
    } nobody;
    TemporaryFolder folder;
    const auto path = folder.path() / "Tessaline.lock";
    SingleInstanceFileLock holder(path, nobody);
    ASSERT_EQ(holder.acquire(1), SingleInstanceFileLock::AcquireResult::acquired);
    platform::RecordingLogSink log;
    platform::sim::VirtualClock clock;
    SingleInstanceFileLock second(path, nobody, platform::Logger(log, clock, "test", "lock"));
    EXPECT_EQ(second.acquire(2), SingleInstanceFileLock::AcquireResult::heldByAnotherProcess);
    EXPECT_TRUE(log.contains("is held by a process that cannot be found"));
}

TEST(SingleInstanceFileLockTest, TheDefaultLockLivesInTheDataFolder) {
    EXPECT_EQ(SingleInstanceFileLock::defaultLock({{"XDG_DATA_HOME", "/d"}, {"HOME", "/h"}}, kernel)
                  ->url(),
              "/d/Tessaline/Tessaline.lock");
    EXPECT_EQ(
        SingleInstanceFileLock::defaultLock({{"XDG_DATA_HOME", "rel"}, {"HOME", "/h"}}, kernel)
            ->url(),
        "/h/.local/share/Tessaline/Tessaline.lock");
    EXPECT_EQ(SingleInstanceFileLock::defaultLock({}, kernel), nullptr);
}

// A desktop on which this program (pid 100) and an older copy of it (pid 150) run.
const std::string desktopJson = R"({
  "name": "copies",
  "displays": [{"id": 1, "name": "Built-in", "frame": {"x": 0, "y": 0, "width": 1512, "height": 982},
                "notch": {"width": 200, "height": 32}}],
  "ownProcess": {"pid": 100, "name": "Tessaline", "bundleIdentifier": "app.tessaline.Tessaline",
                 "activationPolicy": "accessory", "launchDate": 1000},
  "apps": [{"pid": 150, "name": "Tessaline", "bundleIdentifier": "app.tessaline.Tessaline",
            "activationPolicy": "accessory", "launchDate": 500}],
  "statusItems": []
})";

struct GuardFixture : ::testing::Test {
    TestSupport::VirtualDesktop desk{desktopJson};
    TemporaryFolder folder;
    std::vector<platform::DistributedNotification> requests;
    platform::ObserverToken token = 0;

    void SetUp() override {
        token = desk.desktop.appServices().distributedNotifications.addObserver(
            std::string(SingleInstanceGuard::activationRequestNotification), std::nullopt,
            [this](const platform::DistributedNotification& request) {
                requests.push_back(request);
            });
    }
    void TearDown() override {
        desk.desktop.appServices().distributedNotifications.removeObserver(token);
    }

    std::unique_ptr<SingleInstanceGuard>
    makeGuard(std::optional<std::string> id, std::optional<WallTime> launch, bool withLock = true) {
        return std::make_unique<SingleInstanceGuard>(
            std::move(id), 100, launch, SingleInstancePolicy(),
            withLock
                ? std::make_unique<SingleInstanceFileLock>(folder.path() / "Tessaline.lock", kernel)
                : nullptr,
            desk.desktop.appServices().runningCopies,
            desk.desktop.appServices().distributedNotifications);
    }
    std::vector<platform::sim::ActivationCall> activations() {
        std::vector<platform::sim::ActivationCall> calls;
        for (const auto& call : desk.desktop.record().activationCalls) {
            if (call.kind == platform::sim::ActivationCall::Kind::activate) {
                calls.push_back(call);
            }
        }
        return calls;
    }
};

TEST_F(GuardFixture, ALockHeldElsewherePostsOneRequestAndActivatesNobody) {
    SingleInstanceFileLock holder(folder.path() / "Tessaline.lock", kernel);
    ASSERT_EQ(holder.acquire(1), SingleInstanceFileLock::AcquireResult::acquired);
    auto guard = makeGuard(bundle, platform::ReferenceDate::fromSecondsSinceReferenceDate(1000));
    EXPECT_TRUE(guard->requestExistingInstanceActivationIfNeeded());
    desk.loop.runFor(std::chrono::milliseconds(10));
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].object, bundle);
    EXPECT_EQ(requests[0].userInfo.at("requestingPID").integer(), 100);
    EXPECT_TRUE(activations().empty());
}

TEST_F(GuardFixture, AnOlderCopyIsAskedAndActivatedAndTheLockGivenBack) {
    // The lock file was deleted under the older copy: this launch takes a new lock.
    auto guard = makeGuard(bundle, platform::ReferenceDate::fromSecondsSinceReferenceDate(1000));
    EXPECT_TRUE(guard->requestExistingInstanceActivationIfNeeded());
    desk.loop.runFor(std::chrono::milliseconds(10));
    EXPECT_EQ(requests.size(), 1u);
    ASSERT_EQ(activations().size(), 1u);
    EXPECT_EQ(activations()[0].pid, 150);
    EXPECT_EQ(activations()[0].options, platform::NSApplicationActivateAllWindows);
    EXPECT_EQ(guard->lock()->fileDescriptor(), -1);
}

TEST_F(GuardFixture, NoOlderCopyKeepsTheLockAndGoesOn) {
    desk.desktop.quit(150);
    desk.loop.runFor(std::chrono::milliseconds(10));
    auto guard = makeGuard(bundle, platform::ReferenceDate::fromSecondsSinceReferenceDate(1000));
    EXPECT_FALSE(guard->requestExistingInstanceActivationIfNeeded());
    EXPECT_NE(guard->lock()->fileDescriptor(), -1);
    EXPECT_TRUE(requests.empty());
}

TEST_F(GuardFixture, WithoutABundleIdentifierNothingIsTaken) {
    auto guard =
        makeGuard(std::nullopt, platform::ReferenceDate::fromSecondsSinceReferenceDate(1000));
    EXPECT_FALSE(guard->requestExistingInstanceActivationIfNeeded());
    EXPECT_EQ(guard->lock()->fileDescriptor(), -1);
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "Tessaline.lock"));
}

// The desktop's running copies, except that one of them quits right after it was listed: it
// dies while this launch decides whom to ask.
class CopyQuittingAfterTheListing final : public platform::RunningCopies {
public:
    CopyQuittingAfterTheListing(platform::sim::SimulatedDesktop& desktop, pid_t quitting)
        : desktop(desktop), copies(desktop.appServices().runningCopies), quitting(quitting) {}

    std::vector<platform::RunningCopy> runningApplications(std::string_view id) override {
        auto listed = copies.runningApplications(id);
        desktop.quit(quitting);
        return listed;
    }
    bool isTerminated(pid_t pid) override { return copies.isTerminated(pid); }
    bool activate(pid_t pid, platform::NSApplicationActivationOptions options) override {
        return copies.activate(pid, options);
    }

private:
    platform::sim::SimulatedDesktop& desktop;
    platform::RunningCopies& copies;
    pid_t quitting;
};

TEST_F(GuardFixture, AnOlderCopyThatQuitsMeanwhileIsNotAskedAndTheLaunchGoesOn) {
    CopyQuittingAfterTheListing copies(desk.desktop, 150);
    SingleInstanceGuard guard(
        bundle, 100, platform::ReferenceDate::fromSecondsSinceReferenceDate(1000),
        SingleInstancePolicy(),
        std::make_unique<SingleInstanceFileLock>(folder.path() / "Tessaline.lock", kernel), copies,
        desk.desktop.appServices().distributedNotifications);
    EXPECT_FALSE(guard.requestExistingInstanceActivationIfNeeded());
    desk.loop.runFor(std::chrono::milliseconds(10));
    EXPECT_TRUE(requests.empty());
    EXPECT_TRUE(activations().empty());
    EXPECT_NE(guard.lock()->fileDescriptor(), -1);
}

} // namespace
