#include "platform/sim/SimAppServices.h"
#include "tests/support/SampleDesktops.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace platform;
using namespace std::chrono_literals;

constexpr std::uint32_t kVK_ANSI_K = 0x28;
constexpr std::uint32_t kVK_ANSI_J = 0x26;
constexpr FourCharCode signature = fourCharCode("tsln");

struct HotKeyRig {
    HotKeyRig() : sim(description().dump()) {
        handler = sim.services()
                      .hotKeys
                      .installEventHandler({kEventClassKeyboard, kEventHotKeyPressed},
                                           [this](const HotKeyEvent& event) {
                                               pressed.push_back(event.hotKeyID.id);
                                               return noErr;
                                           })
                      .handler;
    }

    static nlohmann::json description() {
        nlohmann::json json = SampleDesktops::sampleDesktop();
        json["heldHotKeys"] = {{{"pid", 201}, {"keyCode", kVK_ANSI_J}, {"modifiers", cmdKey}}};
        return json;
    }

    sim::SimHotKeys& hotKeys() { return sim.desktop.appServices().hotKeys; }

    TestSupport::VirtualDesktop sim;
    EventHandlerRef handler = 0;
    std::vector<std::uint32_t> pressed;
};

TEST(SimHotKeys, ChordHeldByAnotherApplicationIsRefused) {
    HotKeyRig rig;
    const auto result = rig.hotKeys().registerEventHotKey(kVK_ANSI_J, cmdKey, {signature, 1});
    EXPECT_EQ(result.status, eventHotKeyExistsErr);
    EXPECT_EQ(result.hotKey, 0u);
    EXPECT_EQ(rig.hotKeys().holder(kVK_ANSI_J, cmdKey), 201);
    // The same key with other modifiers is another chord.
    EXPECT_EQ(
        rig.hotKeys().registerEventHotKey(kVK_ANSI_J, cmdKey | shiftKey, {signature, 2}).status,
        noErr);
}

TEST(SimHotKeys, ChordHeldByThisProgramIsRefusedASecondTimeUntilReleased) {
    HotKeyRig rig;
    const auto first = rig.hotKeys().registerEventHotKey(kVK_ANSI_K, optionKey, {signature, 1});
    ASSERT_EQ(first.status, noErr);
    EXPECT_EQ(rig.hotKeys().registerEventHotKey(kVK_ANSI_K, optionKey, {signature, 2}).status,
              eventHotKeyExistsErr);
    EXPECT_EQ(rig.hotKeys().unregisterEventHotKey(first.hotKey), noErr);
    EXPECT_EQ(rig.hotKeys().unregisterEventHotKey(first.hotKey), eventHotKeyInvalidErr);
    EXPECT_EQ(rig.hotKeys().registerEventHotKey(kVK_ANSI_K, optionKey, {signature, 3}).status,
              noErr);
}

TEST(SimHotKeys, PressedChordReachesOnlyItsOwnIdentifierOnTheMainLoop) {
    HotKeyRig rig;
    ASSERT_EQ(rig.hotKeys().registerEventHotKey(kVK_ANSI_K, optionKey, {signature, 7}).status,
              noErr);
    ASSERT_EQ(rig.hotKeys().registerEventHotKey(kVK_ANSI_K, cmdKey, {signature, 8}).status, noErr);

    EXPECT_EQ(rig.hotKeys().press(kVK_ANSI_K, cmdKey), 100);
    EXPECT_TRUE(rig.pressed.empty()) << "presses arrive as main-loop tasks";
    rig.sim.loop.runFor(0ms);
    EXPECT_EQ(rig.pressed, std::vector<std::uint32_t>{8});

    // Another application's chord and a free chord reach nothing here.
    EXPECT_EQ(rig.hotKeys().press(kVK_ANSI_J, cmdKey), 201);
    EXPECT_EQ(rig.hotKeys().press(kVK_ANSI_K, controlKey), std::nullopt);
    rig.sim.loop.runFor(0ms);
    EXPECT_EQ(rig.pressed, std::vector<std::uint32_t>{8});
}

TEST(SimHotKeys, RemovedHandlerGetsNoQueuedPress) {
    HotKeyRig rig;
    ASSERT_EQ(rig.hotKeys().registerEventHotKey(kVK_ANSI_K, optionKey, {signature, 1}).status,
              noErr);
    rig.hotKeys().press(kVK_ANSI_K, optionKey);
    EXPECT_EQ(rig.hotKeys().removeEventHandler(rig.handler), noErr);
    rig.sim.loop.runFor(0ms);
    EXPECT_TRUE(rig.pressed.empty());
}

TEST(SimHotKeys, OnlyHotKeyEventsCanBeHandled) {
    HotKeyRig rig;
    const auto result = rig.hotKeys().installEventHandler({fourCharCode("mous"), 1},
                                                          [](const HotKeyEvent&) { return noErr; });
    EXPECT_EQ(result.status, paramErr);
}

} // namespace
