#pragma once

#include "Parlowen/Hotkeys/HotKeyRegistry.h"

#include <cstdint>

namespace Parlowen::HotKeyRegistrationValidator {

// Whether the chord (virtual key code, Carbon modifier mask) can be registered right now: it is
// registered with an empty action and given back at once. A chord that another application or
// this program holds fails; the holder keeps it.
bool canRegister(HotKeyRegistry& registry, std::uint32_t keyCode, std::uint32_t modifierFlags);

} // namespace Parlowen::HotKeyRegistrationValidator
