#pragma once

#include "core/RawValue.h"

namespace Parlowen {

// What started a Quick Open attempt; its tag value is the case name.
enum class QuickOpenTelemetryTrigger { quickOpenRow, perAppHotKey };

} // namespace Parlowen

template <> struct QelCore::RawValues<Parlowen::QuickOpenTelemetryTrigger> {
    using enum Parlowen::QuickOpenTelemetryTrigger;
    static constexpr std::array<std::pair<Parlowen::QuickOpenTelemetryTrigger, std::string_view>, 2>
        table{{
            {quickOpenRow, "quickOpenRow"},
            {perAppHotKey, "perAppHotKey"},
        }};
};
