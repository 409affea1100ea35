#include "Parlowen/Hotkeys/ModifierPairShortcutController.h"

#include "platform/sim/SimAppServices.h"
#include "tests/open/OpenTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

namespace {

using namespace Parlowen;
using std::chrono::milliseconds;

struct ModifierDesktop : OpenTestSupport::Desktop {
    platform::sim::SimEventMonitors& monitors = desktop.appServices().eventMonitors;

    void key(platform::CGKeyCode keyCode, bool down) {
        monitors.pressModifierKey(keyCode, down);
        loop.runFor(milliseconds(1));
    }
    void bothOptionKeys() {
        key(platform::kVK_Option, true);
        key(platform::kVK_RightOption, true);
        key(platform::kVK_Option, false);
        key(platform::kVK_RightOption, false);
    }
};

TEST(ModifierPairShortcutController, FiresFromOtherApplicationsAndFromItsOwn) {
    ModifierDesktop desktop;
    int triggers = 0;
    ModifierPairShortcutController controller(
        desktop.monitors, desktop.loop, QuickAccessModifierShortcut::option, [&] { ++triggers; });
    desktop.bothOptionKeys();
    EXPECT_EQ(triggers, 0); // not started
    controller.start();
    controller.start(); // replaces, never doubles
    EXPECT_EQ(desktop.monitors.monitorCount(), 2u);
    desktop.bothOptionKeys();
    EXPECT_EQ(triggers, 1);

    desktop.desktop.setFrontmost(desktop.desktop.initialDescription().ownProcess.pid);
    desktop.bothOptionKeys();
    EXPECT_EQ(triggers, 2);

    controller.stop();
    controller.stop();
    EXPECT_EQ(desktop.monitors.monitorCount(), 0u);
    desktop.bothOptionKeys();
    EXPECT_EQ(triggers, 2);
}

TEST(ModifierPairShortcutController, ADroppedControllerLeavesNoMonitor) {
    ModifierDesktop desktop;
    int triggers = 0;
    auto controller = std::make_unique<ModifierPairShortcutController>(
        desktop.monitors, desktop.loop, QuickAccessModifierShortcut::shift, [&] { ++triggers; });
    controller->start();
    desktop.monitors.pressModifierKey(platform::kVK_Shift, true);
    desktop.monitors.pressModifierKey(platform::kVK_RightShift, true);
    // Events already queued reach nothing once the controller is gone.
    controller.reset();
    desktop.loop.runFor(milliseconds(1));
    EXPECT_EQ(desktop.monitors.monitorCount(), 0u);
    EXPECT_EQ(triggers, 0);
}

TEST(ModifierPairShortcutController, TheTriggerMayDropTheController) {
    ModifierDesktop desktop;
    std::unique_ptr<ModifierPairShortcutController> controller;
    int triggers = 0;
    controller = std::make_unique<ModifierPairShortcutController>(
        desktop.monitors, desktop.loop, QuickAccessModifierShortcut::command, [&] {
            ++triggers;
            controller.reset();
        });
    controller->start();
    desktop.key(platform::kVK_Command, true);
    desktop.key(platform::kVK_RightCommand, true);
    EXPECT_EQ(triggers, 1);
    EXPECT_EQ(controller, nullptr);
    EXPECT_EQ(desktop.monitors.monitorCount(), 0u);
}

} // namespace
