#pragma once

#include "core/RawValue.h"

namespace Parlowen {

// How one recorded per-app shortcut ended; the raw value is the case name.
enum class PerAppHotKeyTelemetrySaveResult {
    saved,
    replaced,
    internalConflict,
    systemUnavailable,
    invalid,
    canceled
};

} // namespace Parlowen

template <> struct QelCore::RawValues<Parlowen::PerAppHotKeyTelemetrySaveResult> {
    using enum Parlowen::PerAppHotKeyTelemetrySaveResult;
    static constexpr std::array<
        std::pair<Parlowen::PerAppHotKeyTelemetrySaveResult, std::string_view>, 6>
        table{{
            {saved, "saved"},
            {replaced, "replaced"},
            {internalConflict, "internalConflict"},
            {systemUnavailable, "systemUnavailable"},
            {invalid, "invalid"},
            {canceled, "canceled"},
        }};
};
