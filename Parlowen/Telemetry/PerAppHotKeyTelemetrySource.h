#pragma once

#include "core/RawValue.h"

#include <string>

namespace Parlowen {

// Where a per-app hotkey was set up or removed; the raw value is the case name.
enum class PerAppHotKeyTelemetrySource {
    managerAdd,
    managerChange,
    quickOpenRow,
    managerSingleRemove,
    managerRemoveNotSeen,
    runtimeHotKey
};

// The "surface" tag of a source: "manager", "quickOpenRow" or "runtime".
std::string surface(PerAppHotKeyTelemetrySource source);

} // namespace Parlowen

template <> struct QelCore::RawValues<Parlowen::PerAppHotKeyTelemetrySource> {
    using enum Parlowen::PerAppHotKeyTelemetrySource;
    static constexpr std::array<std::pair<Parlowen::PerAppHotKeyTelemetrySource, std::string_view>,
                                6>
        table{{
            {managerAdd, "managerAdd"},
            {managerChange, "managerChange"},
            {quickOpenRow, "quickOpenRow"},
            {managerSingleRemove, "managerSingleRemove"},
            {managerRemoveNotSeen, "managerRemoveNotSeen"},
            {runtimeHotKey, "runtimeHotKey"},
        }};
};
