#pragma once

#include "platform/GlobalHotKeys.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>

namespace Parlowen {

// A global key chord: a macOS virtual key code with a Carbon modifier mask.
struct PerAppHotKeyShortcut {
    std::uint32_t keyCode = 0;
    std::uint32_t modifierFlags = 0;

    // Whether Command, Shift, Option or Control is part of the chord. A chord without any would
    // take a bare key away from every application, so it is never registered.
    bool hasModifier() const {
        return (modifierFlags & (platform::cmdKey | platform::shiftKey | platform::optionKey |
                                 platform::controlKey)) != 0;
    }

    // {"keyCode": n, "modifierFlags": n}.
    nlohmann::ordered_json toJson() const;
    // None unless both members are whole numbers within 32 unsigned bits.
    static std::optional<PerAppHotKeyShortcut> fromJson(const nlohmann::json& json);

    friend bool operator==(const PerAppHotKeyShortcut&, const PerAppHotKeyShortcut&) = default;
};

} // namespace Parlowen
