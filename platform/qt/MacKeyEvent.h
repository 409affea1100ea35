#pragma once

#include "platform/Events.h"

#include <cstdint>
#include <string>

namespace platform::qt {

// A key event as AppKit hands it to a window: the macOS virtual key code of the US ANSI layout,
// the device-independent modifier flags (NSEvent.ModifierFlags) and the characters in UTF-8.
struct MacKeyEvent {
    enum class Type { keyDown, keyUp, flagsChanged };

    Type type = Type::keyDown;
    CGKeyCode keyCode = 0;
    std::uint64_t modifierFlags = 0;
    // The text the key produces with its modifiers (empty for modifier keys).
    std::string characters;
    // The text without modifiers other than Shift; arrows and function keys give the AppKit
    // function-key characters (U+F700 up, U+F701 down, ...).
    std::string charactersIgnoringModifiers;
    bool isARepeat = false;

    friend bool operator==(const MacKeyEvent&, const MacKeyEvent&) = default;
};

// AppKit's modifier flags (NSEvent.ModifierFlags).
inline constexpr std::uint64_t NSEventModifierFlagCapsLock = 0x10000;
inline constexpr std::uint64_t NSEventModifierFlagShift = 0x20000;
inline constexpr std::uint64_t NSEventModifierFlagControl = 0x40000;
inline constexpr std::uint64_t NSEventModifierFlagOption = 0x80000;
inline constexpr std::uint64_t NSEventModifierFlagCommand = 0x100000;
inline constexpr std::uint64_t NSEventModifierFlagNumericPad = 0x200000;
inline constexpr std::uint64_t NSEventModifierFlagFunction = 0x800000;

// The key code given to a key that the US ANSI keyboard does not have (its characters still
// arrive).
inline constexpr CGKeyCode unknownKeyCode = 0xFFFF;

} // namespace platform::qt
