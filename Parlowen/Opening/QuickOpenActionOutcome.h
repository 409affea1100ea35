#pragma once

#include "core/RawValue.h"

namespace Parlowen {

// How one open request ended, as the user is told and the recents keep it.
enum class QuickOpenActionOutcome { opening, actionSent, observedOpen, failed };

} // namespace Parlowen

template <> struct QelCore::RawValues<Parlowen::QuickOpenActionOutcome> {
    using enum Parlowen::QuickOpenActionOutcome;
    static constexpr std::array<std::pair<Parlowen::QuickOpenActionOutcome, std::string_view>, 4>
        table{{
            {opening, "opening"},
            {actionSent, "actionSent"},
            {observedOpen, "observedOpen"},
            {failed, "failed"},
        }};
};
