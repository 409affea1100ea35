#include "Parlowen/Hotkeys/ModifierPairShortcutDetector.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace Parlowen;

// Key codes of the modifier keys.
constexpr std::uint16_t leftShift = 56, rightShift = 60, leftOption = 58, rightOption = 61,
                        leftCommand = 55, rightCommand = 54, leftControl = 59, capsLock = 57;
// Device-independent flags.
constexpr std::uint64_t shiftFlag = 0x20000, controlFlag = 0x40000, optionFlag = 0x80000,
                        commandFlag = 0x100000, capsFlag = 0x10000;

struct Event {
    std::uint16_t keyCode;
    std::uint64_t flags;
};

struct Row {
    std::string name;
    QuickAccessModifierShortcut shortcut;
    std::vector<Event> events;
    // How many times the trigger ran after each event.
    std::vector<int> triggers;
};

TEST(ModifierPairShortcutDetector, EventTable) {
    using enum QuickAccessModifierShortcut;
    const Row rows[] = {
        {"left then right option fires at the second press",
         option,
         {{leftOption, optionFlag},
          {rightOption, optionFlag},
          {leftOption, optionFlag},
          {rightOption, 0}},
         {0, 1, 1, 1}},
        {"right first, then left",
         option,
         {{rightOption, optionFlag}, {leftOption, optionFlag}},
         {0, 1}},
        {"shift pair", shift, {{leftShift, shiftFlag}, {rightShift, shiftFlag}}, {0, 1}},
        {"command pair",
         command,
         {{rightCommand, commandFlag}, {leftCommand, commandFlag}},
         {0, 1}},
        {"re-pressing one side while the other is held does not fire again; a new chord does",
         option,
         {{leftOption, optionFlag},
          {rightOption, optionFlag},
          {rightOption, optionFlag},
          {rightOption, optionFlag},
          {leftOption, optionFlag},
          {rightOption, 0},
          {leftOption, optionFlag},
          {rightOption, optionFlag}},
         {0, 1, 1, 1, 1, 1, 1, 2}},
        {"a foreign modifier cancels until every modifier is up",
         option,
         {{leftOption, optionFlag},
          {leftShift, optionFlag | shiftFlag},
          {rightOption, optionFlag | shiftFlag},
          {leftShift, optionFlag},
          {rightOption, optionFlag},
          {leftOption, 0},
          {leftOption, optionFlag},
          {rightOption, optionFlag}},
         {0, 0, 0, 0, 0, 0, 0, 1}},
        {"control held while both keys go down never fires",
         shift,
         {{leftControl, controlFlag},
          {leftShift, controlFlag | shiftFlag},
          {rightShift, controlFlag | shiftFlag}},
         {0, 0, 0}},
        {"control never makes a pair of its own",
         shift,
         {{leftControl, controlFlag}, {62, controlFlag}},
         {0, 0}},
        {"caps lock while a side is held is ignored",
         option,
         {{leftOption, optionFlag},
          {capsLock, optionFlag | capsFlag},
          {rightOption, optionFlag | capsFlag}},
         {0, 0, 1}},
        {"caps lock with no modifier held resets",
         option,
         {{leftOption, optionFlag}, {capsLock, capsFlag}, {rightOption, optionFlag}},
         {0, 0, 0}},
        {"none never fires",
         none,
         {{leftOption, optionFlag},
          {rightOption, optionFlag},
          {leftShift, shiftFlag},
          {rightShift, shiftFlag}},
         {0, 0, 0, 0}},
        {"a missed key-up cannot let one key press complete the pair",
         option,
         // The first release of the left key was never delivered, so its next press looks
         // like a release and its next release like a press.
         {{leftOption, optionFlag},
          {leftOption, optionFlag},
          {leftOption, 0},
          {rightOption, optionFlag}},
         {0, 0, 0, 0}},
    };
    for (const auto& row : rows) {
        int triggered = 0;
        ModifierPairShortcutDetector detector(row.shortcut, [&] { ++triggered; });
        std::vector<int> seen;
        for (const auto& event : row.events) {
            detector.handle(event.keyCode, event.flags);
            seen.push_back(triggered);
        }
        EXPECT_EQ(seen, row.triggers) << row.name;
    }
}

TEST(ModifierPairShortcutDetector, TriggerMayReplaceItsOwnDetector) {
    std::optional<ModifierPairShortcutDetector> detector;
    int triggered = 0;
    detector.emplace(QuickAccessModifierShortcut::shift, [&] {
        ++triggered;
        detector.reset();
    });
    detector->handle(leftShift, shiftFlag);
    detector->handle(rightShift, shiftFlag);
    EXPECT_EQ(triggered, 1);
    EXPECT_FALSE(detector.has_value());
}

} // namespace
