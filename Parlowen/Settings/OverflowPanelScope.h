#pragma once

#include "core/RawValue.h"

namespace Parlowen {

// Which items the Quick Open panel lists: only the hidden ones, or all of the right side.
enum class OverflowPanelScope { hiddenOnly, allRightSide };

} // namespace Parlowen

template <> struct QelCore::RawValues<Parlowen::OverflowPanelScope> {
    using enum Parlowen::OverflowPanelScope;
    static constexpr std::array<std::pair<Parlowen::OverflowPanelScope, std::string_view>, 2> table{
        {
            {hiddenOnly, "hiddenOnly"},
            {allRightSide, "allRightSide"},
        }};
};
