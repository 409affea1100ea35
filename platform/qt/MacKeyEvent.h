#pragma once

#include "platform/EventMonitors.h"
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

// AppKit's modifier flags, as the platform's event monitors define them.
using platform::NSEventModifierFlagCapsLock;
using platform::NSEventModifierFlagCommand;
using platform::NSEventModifierFlagControl;
using platform::NSEventModifierFlagFunction;
using platform::NSEventModifierFlagNumericPad;
using platform::NSEventModifierFlagOption;
using platform::NSEventModifierFlagShift;

// The US ANSI W key, whose Command chord closes the key window.
inline constexpr CGKeyCode wKeyCode = 13;

// Command-W with Command the only one of Shift, Control, Option and Command held: the chord that
// closes the key window, whatever control has the focus.
inline bool isCloseWindowChord(const MacKeyEvent& event) {
    constexpr std::uint64_t deviceModifiers =
        NSEventModifierFlagShift | NSEventModifierFlagControl | NSEventModifierFlagOption |
        NSEventModifierFlagCommand;
    return event.type == MacKeyEvent::Type::keyDown && event.keyCode == wKeyCode &&
           (event.modifierFlags & deviceModifiers) == NSEventModifierFlagCommand;
}

// The key code given to a key that the US ANSI keyboard does not have (its characters still
// arrive).
inline constexpr CGKeyCode unknownKeyCode = 0xFFFF;

} // namespace platform::qt
