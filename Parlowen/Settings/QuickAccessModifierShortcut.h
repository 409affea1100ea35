#pragma once

#include "core/RawValue.h"

#include <string>

namespace Parlowen {

// The modifier pair that opens the Quick Open panel when both keys of it are pressed.
enum class QuickAccessModifierShortcut { shift, option, command, none };

// The display text, localized.
std::string localizedName(QuickAccessModifierShortcut shortcut);

} // namespace Parlowen

template <> struct QelCore::RawValues<Parlowen::QuickAccessModifierShortcut> {
    using enum Parlowen::QuickAccessModifierShortcut;
    static constexpr std::array<std::pair<Parlowen::QuickAccessModifierShortcut, std::string_view>,
                                4>
        table{{
            {shift, "shift"},
            {option, "option"},
            {command, "command"},
            {none, "none"},
        }};
};
