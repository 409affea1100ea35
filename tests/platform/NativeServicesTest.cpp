#include "platform/linux/NativeServices.h"
#include "platform/RealTimeRunLoop.h"
#include "platform/SystemClock.h"
#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

using namespace platform;
using namespace std::chrono_literals;

struct NativeRig {
    ProcessEnvironment environment() const {
        return {{"XDG_RUNTIME_DIR", runtime.path().string()},
                {"XDG_CONFIG_HOME", config.path().string()}};
    }

    TemporaryFolder runtime;
    TemporaryFolder config;
    SystemClock clock;
    RealTimeRunLoop loop{clock};
};

TEST(NativeServices, TestRunsLeaveNoRunningCopyBehind) {
    NativeRig rig;
    native::NativeServices services(rig.environment(), rig.loop, {});
    EXPECT_EQ(services.folder, rig.runtime.path() / "tessaline");
    EXPECT_TRUE(services.runningCopies.runningApplications("app.tessaline.Tessaline").empty());
    EXPECT_EQ(services.loginItems.status(), SMAppServiceStatusNotRegistered);
    EXPECT_EQ(services.environment.at("XDG_CONFIG_HOME"), rig.config.path().string());
}

TEST(NativeServices, ProductRunIsListedAndItsNotificationsComeBack) {
    NativeRig rig;
    native::NativeServices services(rig.environment(), rig.loop, {.registerRunningCopy = true});
    const auto copies = services.runningCopies.runningApplications("app.tessaline.Tessaline");
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0].processIdentifier, ::getpid());

    bool received = false;
    services.distributedNotifications.addObserver(
        "app.tessaline.Tessaline.activation-request", std::nullopt,
        [&](const DistributedNotification&) { received = true; });
    services.distributedNotifications.postNotification(
        {"app.tessaline.Tessaline.activation-request", "app.tessaline.Tessaline", {}}, true);
    for (int turn = 0; turn < 500 && !received; ++turn) {
        rig.loop.runFor(10ms);
    }
    EXPECT_TRUE(received);
}

} // namespace
