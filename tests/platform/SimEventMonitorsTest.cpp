#include "platform/sim/SimAppServices.h"
#include "tests/support/SampleDesktops.h"
#include "tests/support/VirtualDesktop.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace platform;
using namespace std::chrono_literals;

struct MonitorRig {
    MonitorRig() : sim(SampleDesktops::sampleDesktopText()) {
        monitors().addLocalMonitor(NSEventMaskFlagsChanged, [this](const NSEvent& event) {
            local.push_back(event);
            return std::optional(event);
        });
        monitors().addGlobalMonitor(NSEventMaskFlagsChanged,
                                    [this](const NSEvent& event) { global.push_back(event); });
    }

    sim::SimEventMonitors& monitors() { return sim.desktop.appServices().eventMonitors; }

    TestSupport::VirtualDesktop sim;
    std::vector<NSEvent> local;
    std::vector<NSEvent> global;
};

TEST(SimEventMonitors, EventReachesOnlyTheGlobalMonitorsWhileAnotherAppIsActive) {
    MonitorRig rig;
    rig.sim.desktop.setFrontmost(201);
    ASSERT_TRUE(rig.monitors().pressModifierKey(kVK_Option, true));
    rig.sim.loop.runFor(0ms);
    EXPECT_TRUE(rig.local.empty());
    ASSERT_EQ(rig.global.size(), 1u);
    EXPECT_EQ(rig.global[0].type, NSEventTypeFlagsChanged);
    EXPECT_EQ(rig.global[0].keyCode, kVK_Option);
}

TEST(SimEventMonitors, EventReachesOnlyTheLocalMonitorsWhileThisProgramIsActive) {
    MonitorRig rig;
    rig.sim.desktop.setFrontmost(100);
    ASSERT_TRUE(rig.monitors().pressModifierKey(kVK_RightCommand, true));
    rig.sim.loop.runFor(0ms);
    EXPECT_TRUE(rig.global.empty());
    ASSERT_EQ(rig.local.size(), 1u);
    EXPECT_EQ(rig.local[0].keyCode, kVK_RightCommand);
}

TEST(SimEventMonitors, FlagsFollowEveryHeldKey) {
    MonitorRig rig;
    rig.sim.desktop.setFrontmost(201);
    struct Step {
        const char* name;
        CGKeyCode keyCode;
        bool down;
        NSEventModifierFlags flags;
    };
    const std::vector<Step> steps{
        {"left option down", kVK_Option, true, NSEventModifierFlagOption | NX_DEVICELALTKEYMASK},
        {"right option down", kVK_RightOption, true,
         NSEventModifierFlagOption | NX_DEVICELALTKEYMASK | NX_DEVICERALTKEYMASK},
        {"shift joins", kVK_Shift, true,
         NSEventModifierFlagOption | NSEventModifierFlagShift | NX_DEVICELALTKEYMASK |
             NX_DEVICERALTKEYMASK | NX_DEVICELSHIFTKEYMASK},
        {"left option up", kVK_Option, false,
         NSEventModifierFlagOption | NSEventModifierFlagShift | NX_DEVICERALTKEYMASK |
             NX_DEVICELSHIFTKEYMASK},
        {"right option up", kVK_RightOption, false,
         NSEventModifierFlagShift | NX_DEVICELSHIFTKEYMASK},
        {"shift up", kVK_Shift, false, 0},
        {"caps lock on", kVK_CapsLock, true, NSEventModifierFlagCapsLock},
        {"command with caps lock", kVK_Command, true,
         NSEventModifierFlagCapsLock | NSEventModifierFlagCommand | NX_DEVICELCMDKEYMASK},
    };
    for (const Step& step : steps) {
        const auto event = rig.monitors().pressModifierKey(step.keyCode, step.down);
        ASSERT_TRUE(event) << step.name;
        EXPECT_EQ(event->modifierFlags, step.flags) << step.name;
    }
    rig.sim.loop.runFor(0ms);
    EXPECT_EQ(rig.global.size(), steps.size());
    EXPECT_EQ(rig.global.back().deviceIndependentModifierFlags(),
              NSEventModifierFlagCapsLock | NSEventModifierFlagCommand);
}

TEST(SimEventMonitors, KeysThatAreNoModifiersOrChangeNothingSendNothing) {
    MonitorRig rig;
    EXPECT_FALSE(rig.monitors().pressModifierKey(kVK_Escape, true));
    EXPECT_FALSE(rig.monitors().pressModifierKey(kVK_Shift, false)) << "not held";
    ASSERT_TRUE(rig.monitors().pressModifierKey(kVK_Shift, true));
    EXPECT_FALSE(rig.monitors().pressModifierKey(kVK_Shift, true)) << "already held";
    rig.sim.loop.runFor(0ms);
    EXPECT_EQ(rig.local.size() + rig.global.size(), 1u);
}

// Letting go of a modifier unseen lets go of both its keys, one event each, and nothing else.
TEST(SimEventMonitors, ReleasingAModifierLetsGoOfBothItsKeysAlone) {
    MonitorRig rig;
    for (CGKeyCode keyCode : {kVK_Shift, kVK_RightShift, kVK_Option}) {
        ASSERT_TRUE(rig.monitors().pressModifierKey(keyCode, true));
    }
    rig.sim.loop.runFor(0ms);
    rig.global.clear();
    rig.local.clear();
    const auto events =
        rig.monitors().releaseModifierKeys(NSEventModifierFlagShift | NSEventModifierFlagCommand,
                                           sim::SimEventMonitors::KeyWindow::otherApp);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events.back().modifierFlags, NSEventModifierFlagOption | NX_DEVICELALTKEYMASK);
    rig.sim.loop.runFor(0ms);
    EXPECT_EQ(rig.global.size(), 2u);
    EXPECT_TRUE(rig.local.empty());
    EXPECT_TRUE(rig.monitors().pressModifierKey(kVK_Option, false)) << "option still held";
}

TEST(SimEventMonitors, RemovedMonitorGetsNoQueuedEvent) {
    TestSupport::VirtualDesktop sim(SampleDesktops::sampleDesktopText());
    auto& monitors = sim.desktop.appServices().eventMonitors;
    int calls = 0;
    const ObserverToken token =
        monitors.addGlobalMonitor(NSEventMaskFlagsChanged, [&](const NSEvent&) { ++calls; });
    sim.desktop.setFrontmost(201);
    monitors.pressModifierKey(kVK_Control, true);
    monitors.removeMonitor(token);
    sim.loop.runFor(0ms);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(monitors.monitorCount(), 0u);
}

} // namespace
