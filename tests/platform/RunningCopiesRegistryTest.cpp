#include "platform/linux/RunningCopiesRegistry.h"
#include "platform/InMemoryDistributedNotificationCenter.h"
#include "platform/RecordingLogSink.h"
#include "platform/ReferenceDate.h"
#include "platform/sim/VirtualRunLoop.h"
#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

namespace {

using namespace platform;
using namespace std::chrono_literals;
using native::RunningCopiesRegistry;

constexpr const char* bundleId = "app.tessaline.Tessaline";

struct RegistryRig {
    std::optional<RunningCopiesRegistry::Registration> registration() const {
        return RunningCopiesRegistry::Registration{bundleId, clock.wallNow()};
    }

    TemporaryFolder folder;
    sim::VirtualClock clock;
    sim::VirtualRunLoop loop{clock};
    RecordingLogSink log;
    Logger logger{log, clock, bundleId, "Test"};
    InMemoryNotificationBus bus;
    InMemoryDistributedNotificationCenter notifications{bus, loop, log, ::getpid()};
};

TEST(RunningCopiesRegistry, OnlyARegisteredRunWritesAnEntry) {
    RegistryRig rig;
    {
        RunningCopiesRegistry reader(rig.folder.path(), rig.notifications, rig.logger,
                                     std::nullopt);
        EXPECT_TRUE(reader.runningApplications(bundleId).empty());
        EXPECT_TRUE(std::filesystem::is_empty(rig.folder.path()));
    }
    {
        RunningCopiesRegistry product(rig.folder.path(), rig.notifications, rig.logger,
                                      rig.registration());
        const auto copies = product.runningApplications(bundleId);
        ASSERT_EQ(copies.size(), 1u);
        EXPECT_EQ(copies[0].processIdentifier, ::getpid());
        EXPECT_EQ(copies[0].bundleIdentifier, bundleId);
        ASSERT_TRUE(copies[0].launchDate);
        EXPECT_LT(std::chrono::abs(*copies[0].launchDate - rig.clock.wallNow()), 1ms);
        EXPECT_FALSE(product.isTerminated(::getpid()));
        EXPECT_TRUE(product.runningApplications("another.bundle").empty());
    }
    EXPECT_TRUE(std::filesystem::is_empty(rig.folder.path())) << "removed when the run ends";
}

TEST(RunningCopiesRegistry, CopyWhoseProcessIsGoneCountsAsTerminatedAndIsRemoved) {
    RegistryRig rig;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::_exit(0);
    }
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    const auto entry = rig.folder.path() / ("copy-" + std::to_string(child) + ".json");
    std::ofstream(entry) << R"({"bundleIdentifier":"app.tessaline.Tessaline","pid":)" << child
                         << R"(,"launchDate":1.0})";
    RunningCopiesRegistry registry(rig.folder.path(), rig.notifications, rig.logger, std::nullopt);
    EXPECT_TRUE(registry.isTerminated(child));
    EXPECT_FALSE(std::filesystem::exists(entry));
    EXPECT_TRUE(registry.runningApplications(bundleId).empty());
    EXPECT_FALSE(registry.activate(child, NSApplicationActivateAllWindows));
}

TEST(RunningCopiesRegistry, EntryOfAReusedProcessIdCountsAsTerminated) {
    RegistryRig rig;
    // This process's id with another start time: an older process that had the same id.
    const auto entry = rig.folder.path() / ("copy-" + std::to_string(::getpid()) + ".json");
    std::ofstream(entry) << R"({"bundleIdentifier":"app.tessaline.Tessaline","pid":)" << ::getpid()
                         << R"(,"startTime":1})";
    RunningCopiesRegistry registry(rig.folder.path(), rig.notifications, rig.logger, std::nullopt);
    EXPECT_TRUE(registry.isTerminated(::getpid()));
}

TEST(RunningCopiesRegistry, ForgedOrLinkedEntriesAreIgnored) {
    RegistryRig rig;
    TemporaryFolder elsewhere;
    const auto target = elsewhere.path() / "copy.json";
    std::ofstream(target) << R"({"bundleIdentifier":"app.tessaline.Tessaline","pid":1})";
    std::filesystem::create_symlink(target, rig.folder.path() / "copy-1.json");
    std::ofstream(rig.folder.path() / "copy-2.json") << R"({"pid":3})"; // names another pid
    std::ofstream(rig.folder.path() / "copy-4.json") << "not json";
    RunningCopiesRegistry registry(rig.folder.path(), rig.notifications, rig.logger, std::nullopt);
    EXPECT_TRUE(registry.runningApplications(bundleId).empty());
    EXPECT_TRUE(rig.log.contains("unreadable running-copy entry"));
}

TEST(RunningCopiesRegistry, ActivationAsksTheRegisteredCopyToComeForward) {
    RegistryRig rig;
    RunningCopiesRegistry running(rig.folder.path(), rig.notifications, rig.logger,
                                  rig.registration());
    std::vector<NSApplicationActivationOptions> requests;
    running.setActivationHandler(
        [&](NSApplicationActivationOptions options) { requests.push_back(options); });

    InMemoryDistributedNotificationCenter second(rig.bus, rig.loop, rig.log, ::getpid() + 1);
    RunningCopiesRegistry launching(rig.folder.path(), second, rig.logger, std::nullopt);
    EXPECT_TRUE(launching.activate(::getpid(), NSApplicationActivateAllWindows));
    rig.loop.runFor(0ms);
    EXPECT_EQ(requests,
              std::vector<NSApplicationActivationOptions>{NSApplicationActivateAllWindows});
}

} // namespace
