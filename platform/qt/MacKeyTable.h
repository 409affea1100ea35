#pragma once

#include "platform/qt/MacKeyEvent.h"

#include <Qt>

#include <optional>

class QKeyEvent;

// The one translation of Qt key events into the key codes and modifier flags of macOS, which
// every window, the stored shortcuts and the simulated desktop use. Ctrl is Command, Alt is
// Option, Meta (the Super key) is Control, Shift is Shift; the left and right key of a modifier
// keep their own key codes, told apart by the key symbol or else the scan code of the event.
namespace platform::qt::MacKeyTable {

// The AppKit flags of Qt's modifiers (the keypad modifier is the numeric-pad flag).
std::uint64_t modifierFlags(Qt::KeyboardModifiers modifiers);

// The AppKit event of a Qt key press or release; a modifier key gives a flags-changed event
// whose flags hold its own modifier while it goes down and lose it as it goes up. None for an
// event that is not a key press or release, or a key with neither a macOS key nor a text.
std::optional<MacKeyEvent> translate(const QKeyEvent& event);

} // namespace platform::qt::MacKeyTable
