#include "Parlowen/Hotkeys/HotKeyRegistrationValidator.h"

#include "Parlowen/Hotkeys/HotKeyManager.h"

namespace Parlowen::HotKeyRegistrationValidator {

bool canRegister(HotKeyRegistry& registry, std::uint32_t keyCode, std::uint32_t modifierFlags) {
    HotKeyManager probe(registry);
    const bool registered = probe.registerHotKey(keyCode, modifierFlags, [] {});
    probe.unregister();
    return registered;
}

} // namespace Parlowen::HotKeyRegistrationValidator
