#pragma once

#include <cstdint>

namespace Parlowen {

// Device-independent modifier flags of a key or modifier-change event (NSEvent.ModifierFlags).
namespace EventModifierFlag {
inline constexpr std::uint64_t shift = 0x20000;
inline constexpr std::uint64_t control = 0x40000;
inline constexpr std::uint64_t option = 0x80000;
inline constexpr std::uint64_t command = 0x100000;
inline constexpr std::uint64_t anyModifier = shift | control | option | command;
} // namespace EventModifierFlag

// Carbon modifier bits, as the hotkey registration and the stored chords carry them.
namespace CarbonModifier {
inline constexpr std::uint32_t command = 0x100;
inline constexpr std::uint32_t shift = 0x200;
inline constexpr std::uint32_t option = 0x800;
inline constexpr std::uint32_t control = 0x1000;
// The four bits that make a chord a modifier chord; other bits (Caps Lock) count for nothing.
inline constexpr std::uint32_t chordMask = command | shift | option | control;
} // namespace CarbonModifier

} // namespace Parlowen
