#include "PollerTestSupport.h"

#include "platform/RealTimeRunLoop.h"
#include "platform/SystemClock.h"

#include <gtest/gtest.h>

#include <limits>
#include <thread>

namespace {

using namespace std::chrono_literals;
using platform::sim::AppDescription;
using platform::sim::DisplayDescription;
using PollerTesting::PollerRig;
using Reasons = std::vector<std::string>;

std::vector<DisplayDescription> externalDisplayAdded() {
    return {{1, "Built-in Retina Display", platform::CGRect(0, 0, 1512, 982), 32,
             platform::CGSize(200, 32)},
            {2, "Studio Display", platform::CGRect(1512, 0, 2560, 1440), 24, std::nullopt}};
}

TEST(MenuBarPollerTriggers, StartScansThenTicks) {
    PollerRig rig(PollerTesting::smallDesktopJson(), 2);
    rig.poller->start();
    rig.poller->start();
    rig.run(9s);
    EXPECT_EQ(rig.startedReasons(), (Reasons{"start", "tick", "tick", "tick", "tick"}));
    EXPECT_TRUE(rig.poller->isRunning());
}

TEST(MenuBarPollerTriggers, UnusableIntervalsAreIgnored) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    const struct {
        const char* name;
        double value;
    } rows[] = {{"zero", 0},           {"negative", -3},       {"too small to spin", 0.05},
                {"not a number", nan}, {"infinite", infinity}, {"negative infinite", -infinity}};
    for (const auto& row : rows) {
        PollerRig rig(PollerTesting::smallDesktopJson(), 2);
        rig.poller->start();
        rig.poller->updateInterval(row.value);
        EXPECT_EQ(rig.poller->interval(), 2) << row.name;
        rig.run(4s);
        EXPECT_EQ(rig.startedReasons(), (Reasons{"start", "tick", "tick"})) << row.name;

        PollerRig fresh(PollerTesting::smallDesktopJson(), row.value);
        EXPECT_EQ(fresh.poller->interval(), 5) << row.name << " (initial)";
    }
}

TEST(MenuBarPollerTriggers, NewIntervalReplacesTheTimer) {
    PollerRig rig(PollerTesting::smallDesktopJson(), 2);
    rig.poller->updateInterval(3); // before the start: only stored
    rig.poller->start();
    rig.run(3s);
    rig.poller->updateInterval(10);
    EXPECT_EQ(rig.poller->interval(), 10);
    rig.run(25s);
    EXPECT_EQ(rig.startedReasons(), (Reasons{"start", "tick", "tick", "tick"}));

    // A huge interval is kept; its timer simply never fires within the test.
    rig.poller->updateInterval(1e300);
    rig.run(60s);
    EXPECT_EQ(rig.startedReasons().size(), 4u);
}

TEST(MenuBarPollerTriggers, ApplicationLaunchAndTermination) {
    const auto app = [](pid_t pid, platform::NSApplicationActivationPolicy policy) {
        AppDescription description;
        description.pid = pid;
        description.name = "App " + std::to_string(pid);
        description.activationPolicy = policy;
        return description;
    };
    const struct {
        const char* name;
        std::function<void(platform::sim::SimulatedDesktop&)> change;
        Reasons scans;
    } rows[] = {
        {"regular launch",
         [&](auto& desktop) {
             desktop.launch(app(300, platform::NSApplicationActivationPolicyRegular), {});
         },
         {"start", "app-launched"}},
        {"accessory launch",
         [&](auto& desktop) {
             desktop.launch(app(300, platform::NSApplicationActivationPolicyAccessory), {});
         },
         {"start", "app-launched"}},
        {"prohibited launch",
         [&](auto& desktop) {
             desktop.launch(app(300, platform::NSApplicationActivationPolicyProhibited), {});
         },
         {"start"}},
        {"termination", [](auto& desktop) { desktop.quit(200); }, {"start", "app-terminated"}},
        // The first change notice starts a scan; the rest, arriving during it, make one more.
        {"display change",
         [](auto& desktop) { desktop.setDisplays(externalDisplayAdded()); },
         {"start", "screen-changed", "screen-changed"}},
    };
    for (const auto& row : rows) {
        PollerRig rig;
        rig.poller->start();
        rig.run(2s);
        row.change(rig.sim.desktop);
        rig.run(2s);
        EXPECT_EQ(rig.startedReasons(), row.scans) << row.name;
    }
}

// One display change brings a screen notification and several reconfiguration callbacks; with
// app launches and terminations at the same time they make one scan, never overlapping ones.
TEST(MenuBarPollerTriggers, BurstsCollapse) {
    PollerRig rig(PollerTesting::smallDesktopJson(), 3600);
    size_t startedAtDelivery = 0;
    rig.poller->onSnapshot = [&](const Parlowen::ScanSnapshot& snapshot) {
        rig.snapshots.push_back(snapshot);
        startedAtDelivery =
            std::max(startedAtDelivery, rig.startedReasons().size() - rig.snapshots.size() + 1);
    };
    rig.poller->start();
    rig.run(200ms);
    for (int round = 0; round < 3; ++round) {
        rig.sim.desktop.setDisplays(round % 2 == 0 ? externalDisplayAdded()
                                                   : rig.sim.desktop.initialDescription().displays);
    }
    rig.run(100ms);
    rig.sim.desktop.quit(200);
    AppDescription launched;
    launched.pid = 300;
    launched.name = "Later";
    rig.sim.desktop.launch(launched, {});
    rig.run(3s);
    EXPECT_EQ(rig.startedReasons(), (Reasons{"start", "screen-changed"}));

    // The same burst while a refresh scan is in flight: one waiting request, one more scan.
    rig.poller->scan("panel-refresh", true);
    rig.sim.desktop.setDisplays(externalDisplayAdded());
    rig.sim.desktop.quit(300);
    rig.run(4s);
    EXPECT_EQ(rig.startedReasons(),
              (Reasons{"start", "screen-changed", "panel-refresh", "app-terminated"}));
    EXPECT_EQ(startedAtDelivery, 1u) << "a scan started before the previous one was delivered";
}

TEST(MenuBarPollerTriggers, DestroyedPollerLeavesNothingBehind) {
    PollerRig rig(PollerTesting::smallDesktopJson(), 1);
    rig.poller->start();
    rig.run(0ms);
    rig.poller->scan("panel-refresh", true); // in flight when the poller goes
    rig.poller.reset();
    rig.sim.desktop.setDisplays(externalDisplayAdded());
    rig.sim.desktop.quit(200);
    rig.run(30s);
    EXPECT_EQ(rig.startedReasons(), Reasons{"start"});
    EXPECT_EQ(rig.snapshots.size(), 1u);
}

// In real time the scan runs on the queue's own thread and its snapshot arrives on the thread
// that runs the main loop; a poller destroyed during a scan gets nothing.
TEST(MenuBarPollerTriggers, RealTimeScanComesBackOnTheMainLoop) {
    platform::SystemClock clock;
    platform::RealTimeRunLoop loop(clock);
    platform::sim::SimulatedDesktop desktop(
        std::get<platform::sim::DesktopDescription>(
            platform::sim::parseDesktopDescription(PollerTesting::smallDesktopJson())),
        loop);
    TemporaryFolder folder;
    ::setenv(Parlowen::DiagnosticsAppender::directoryVariable, folder.path().c_str(), 1);
    Parlowen::AppPreferences preferences(std::make_shared<platform::InMemoryUserDefaults>());

    auto poller = std::make_unique<Parlowen::MenuBarPoller>(desktop.services(), preferences, 5);
    std::vector<std::thread::id> deliveredOn;
    poller->onSnapshot = [&](const Parlowen::ScanSnapshot&) {
        deliveredOn.push_back(std::this_thread::get_id());
    };
    poller->scan("panel-refresh", true);
    for (int turn = 0; turn < 500 && deliveredOn.empty(); ++turn) {
        loop.runFor(10ms);
    }
    ASSERT_EQ(deliveredOn, std::vector{std::this_thread::get_id()});
    EXPECT_FALSE(poller->isScanInFlight());

    for (int round = 0; round < 20; ++round) {
        poller->scan("panel-refresh", true);
        poller = std::make_unique<Parlowen::MenuBarPoller>(desktop.services(), preferences, 5);
        poller->onSnapshot = [&](const Parlowen::ScanSnapshot&) {
            deliveredOn.push_back(std::this_thread::get_id());
        };
    }
    poller.reset();
    loop.runFor(50ms);
    EXPECT_EQ(deliveredOn.size(), 1u);
    ::unsetenv(Parlowen::DiagnosticsAppender::directoryVariable);
}

} // namespace
