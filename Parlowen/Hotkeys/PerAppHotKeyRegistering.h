#pragma once

#include <cstdint>
#include <functional>

namespace Parlowen {

// One registrar of one system-wide hotkey.
class PerAppHotKeyRegistering {
public:
    PerAppHotKeyRegistering() = default;
    PerAppHotKeyRegistering(const PerAppHotKeyRegistering&) = delete;
    PerAppHotKeyRegistering& operator=(const PerAppHotKeyRegistering&) = delete;
    virtual ~PerAppHotKeyRegistering() = default;

    // Replaces whatever this registrar held by the chord (virtual key code, Carbon modifier
    // mask), whose presses run `action` on the main loop; true when the system accepted it.
    virtual bool registerHotKey(std::uint32_t keyCode, std::uint32_t modifierFlags,
                                std::function<void()> action) = 0;
    // Gives the chord back; nothing when none is held.
    virtual void unregister() = 0;
};

} // namespace Parlowen
