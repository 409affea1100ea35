#pragma once

#include "platform/EventMonitors.h"

#include <cstdint>
#include <string>

// The display text of a stored chord (macOS virtual key code and Carbon modifier bits), and the
// Carbon bits of a key event's modifier flags.
namespace Parlowen::HotKeyFormatter {

// The modifier glyphs in the order ⌃⌥⇧⌘, then the key's name ("A", "Space", "↩", or "Key"
// and the decimal code for keys without a name); bits other than the four modifiers are
// ignored.
std::string format(std::uint32_t keyCode, std::uint32_t modifierFlags);

// The Carbon bits of device-independent event modifier flags: Command 0x100000 gives 0x100,
// Shift 0x20000 0x200, Option 0x80000 0x800, Control 0x40000 0x1000. Caps Lock, Function,
// numeric-pad and help flags give nothing.
std::uint32_t carbonModifiers(platform::NSEventModifierFlags eventModifierFlags);

} // namespace Parlowen::HotKeyFormatter
