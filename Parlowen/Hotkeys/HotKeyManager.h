#pragma once

#include "Parlowen/Hotkeys/HotKeyRegistry.h"
#include "Parlowen/Hotkeys/PerAppHotKeyRegistering.h"
#include "platform/GlobalHotKeys.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace Parlowen {

// One system-wide hotkey of this program: a chord whose presses run an action on the main loop,
// even while another application is active. Main thread only.
class HotKeyManager final : public PerAppHotKeyRegistering {
public:
    // The signature of every hotkey identifier this program registers.
    static constexpr platform::FourCharCode signature = platform::fourCharCode("tsln");

    // The registry must outlive the manager.
    explicit HotKeyManager(HotKeyRegistry& registry);
    // Gives the chord back, so a dropped manager never leaves a chord held.
    ~HotKeyManager() override;

    bool registerHotKey(std::uint32_t keyCode, std::uint32_t modifierFlags,
                        std::function<void()> action) override;
    void unregister() override;

    // The identifier of the registered action; none while idle.
    std::optional<std::uint32_t> assignedID() const { return assignedID_; }

private:
    HotKeyRegistry& registry_;
    platform::EventHotKeyRef hotKeyRef_ = 0;
    std::optional<std::uint32_t> assignedID_;
};

} // namespace Parlowen
