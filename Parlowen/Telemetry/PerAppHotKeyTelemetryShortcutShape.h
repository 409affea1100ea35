#pragma once

#include "core/RawValue.h"

namespace Parlowen {

// The kind of key a recorded chord uses, reported instead of the chord itself; the raw value is
// the case name.
enum class PerAppHotKeyTelemetryShortcutShape {
    modifierOnly,
    withLetter,
    withFunctionKey,
    withSymbol,
    other
};

} // namespace Parlowen

template <> struct QelCore::RawValues<Parlowen::PerAppHotKeyTelemetryShortcutShape> {
    using enum Parlowen::PerAppHotKeyTelemetryShortcutShape;
    static constexpr std::array<
        std::pair<Parlowen::PerAppHotKeyTelemetryShortcutShape, std::string_view>, 5>
        table{{
            {modifierOnly, "modifierOnly"},
            {withLetter, "withLetter"},
            {withFunctionKey, "withFunctionKey"},
            {withSymbol, "withSymbol"},
            {other, "other"},
        }};
};
