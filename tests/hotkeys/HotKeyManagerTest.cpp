#include "Parlowen/Hotkeys/HotKeyManager.h"
#include "Parlowen/Hotkeys/HotKeyRegistrationValidator.h"

#include "platform/sim/SimAppServices.h"
#include "tests/open/OpenTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>

namespace {

using namespace Parlowen;
using std::chrono::milliseconds;

constexpr std::uint32_t kKey = 40; // K
constexpr std::uint32_t otherPid = 4242;

struct HotKeyDesktop : OpenTestSupport::Desktop {
    platform::sim::SimHotKeys& hotKeys = desktop.appServices().hotKeys;
    HotKeyRegistry registry{hotKeys, loop};
    const pid_t ownPid = desktop.initialDescription().ownProcess.pid;

    // The user presses the chord; queued presses are handled.
    std::optional<pid_t> press(std::uint32_t keyCode, std::uint32_t modifiers) {
        const auto holder = hotKeys.press(keyCode, modifiers);
        loop.runFor(milliseconds(1));
        return holder;
    }
};

TEST(HotKeyManager, IdentifiersCountFromOneAndAreNeverReused) {
    HotKeyDesktop desktop;
    ASSERT_TRUE(desktop.hotKeys.holdForApplication(otherPid, kKey, platform::optionKey));
    HotKeyManager first(desktop.registry);
    HotKeyManager second(desktop.registry);
    ASSERT_TRUE(first.registerHotKey(kKey, platform::cmdKey, [] {}));
    EXPECT_EQ(first.assignedID(), 1u);
    // A refused registration still takes its identifier.
    EXPECT_FALSE(second.registerHotKey(kKey, platform::optionKey, [] {}));
    EXPECT_EQ(second.assignedID(), std::nullopt);
    ASSERT_TRUE(second.registerHotKey(kKey, platform::shiftKey, [] {}));
    EXPECT_EQ(second.assignedID(), 3u);
    first.unregister();
    ASSERT_TRUE(first.registerHotKey(kKey, platform::cmdKey, [] {}));
    EXPECT_EQ(first.assignedID(), 4u);
    EXPECT_EQ(desktop.registry.actionCount(), 2u);
}

TEST(HotKeyManager, RegisteringTwiceHoldsOneChord) {
    HotKeyDesktop desktop;
    int firstRuns = 0;
    int secondRuns = 0;
    HotKeyManager manager(desktop.registry);
    ASSERT_TRUE(manager.registerHotKey(kKey, platform::cmdKey, [&] { ++firstRuns; }));
    ASSERT_TRUE(
        manager.registerHotKey(kKey, platform::cmdKey | platform::shiftKey, [&] { ++secondRuns; }));
    EXPECT_EQ(desktop.hotKeys.holder(kKey, platform::cmdKey), std::nullopt);
    EXPECT_EQ(desktop.hotKeys.holder(kKey, platform::cmdKey | platform::shiftKey), desktop.ownPid);
    EXPECT_EQ(desktop.registry.actionCount(), 1u);
    desktop.press(kKey, platform::cmdKey);
    desktop.press(kKey, platform::cmdKey | platform::shiftKey);
    EXPECT_EQ(firstRuns, 0);
    EXPECT_EQ(secondRuns, 1);
}

TEST(HotKeyManager, PressRunsTheActionAfterTheHandlerReturns) {
    HotKeyDesktop desktop;
    int runs = 0;
    HotKeyManager manager(desktop.registry);
    ASSERT_TRUE(manager.registerHotKey(kKey, platform::controlKey, [&] { ++runs; }));
    EXPECT_EQ(desktop.hotKeys.press(kKey, platform::controlKey), desktop.ownPid);
    EXPECT_EQ(runs, 0);
    desktop.loop.runFor(milliseconds(1));
    EXPECT_EQ(runs, 1);
}

TEST(HotKeyManager, PressQueuedBeforeUnregisterRunsNothing) {
    HotKeyDesktop desktop;
    int runs = 0;
    HotKeyManager manager(desktop.registry);
    ASSERT_TRUE(manager.registerHotKey(kKey, platform::cmdKey, [&] { ++runs; }));
    desktop.hotKeys.press(kKey, platform::cmdKey);
    manager.unregister();
    manager.unregister(); // idle: nothing
    desktop.loop.runFor(milliseconds(1));
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(desktop.hotKeys.holder(kKey, platform::cmdKey), std::nullopt);
}

TEST(HotKeyManager, ADroppedManagerGivesItsChordBack) {
    HotKeyDesktop desktop;
    int runs = 0;
    auto manager = std::make_unique<HotKeyManager>(desktop.registry);
    ASSERT_TRUE(manager->registerHotKey(kKey, platform::cmdKey, [&] { ++runs; }));
    desktop.hotKeys.press(kKey, platform::cmdKey);
    manager.reset();
    desktop.loop.runFor(milliseconds(1));
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(desktop.hotKeys.holder(kKey, platform::cmdKey), std::nullopt);
    EXPECT_EQ(desktop.registry.actionCount(), 0u);
}

TEST(HotKeyManager, CanRegisterLeavesTheHolderAlone) {
    HotKeyDesktop desktop;
    int runs = 0;
    HotKeyManager live(desktop.registry);
    ASSERT_TRUE(live.registerHotKey(kKey, platform::cmdKey, [&] { ++runs; }));
    EXPECT_FALSE(
        HotKeyRegistrationValidator::canRegister(desktop.registry, kKey, platform::cmdKey));
    EXPECT_EQ(desktop.press(kKey, platform::cmdKey), desktop.ownPid);
    EXPECT_EQ(runs, 1);

    ASSERT_TRUE(desktop.hotKeys.holdForApplication(otherPid, kKey, platform::optionKey));
    EXPECT_FALSE(
        HotKeyRegistrationValidator::canRegister(desktop.registry, kKey, platform::optionKey));
    EXPECT_EQ(desktop.hotKeys.holder(kKey, platform::optionKey), otherPid);

    EXPECT_TRUE(
        HotKeyRegistrationValidator::canRegister(desktop.registry, kKey, platform::shiftKey));
    EXPECT_EQ(desktop.hotKeys.holder(kKey, platform::shiftKey), std::nullopt);
    EXPECT_EQ(desktop.registry.actionCount(), 1u);
}

TEST(HotKeyManager, AnActionMayUnregisterAndDropItsOwnManager) {
    HotKeyDesktop desktop;
    auto manager = std::make_unique<HotKeyManager>(desktop.registry);
    auto counter = std::make_shared<int>(0);
    ASSERT_TRUE(manager->registerHotKey(kKey, platform::cmdKey, [&manager, counter] {
        manager->unregister();
        manager.reset();
        // The running action's captures are still alive.
        ++*counter;
    }));
    desktop.press(kKey, platform::cmdKey);
    EXPECT_EQ(*counter, 1);
    EXPECT_EQ(manager, nullptr);
    EXPECT_EQ(desktop.registry.actionCount(), 0u);
    EXPECT_EQ(desktop.press(kKey, platform::cmdKey), std::nullopt);
}

} // namespace
