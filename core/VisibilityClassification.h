#pragma once

#include "core/RawValue.h"

namespace QelCore {

// Where an item's frame lies relative to its display.
enum class VisibilityClassification { visible, hiddenBehindNotch, pushedOffscreen, unknown };

template <> struct RawValues<VisibilityClassification> {
    using enum VisibilityClassification;
    static constexpr std::array<std::pair<VisibilityClassification, std::string_view>, 4> table{{
        {visible, "visible"},
        {hiddenBehindNotch, "hiddenBehindNotch"},
        {pushedOffscreen, "pushedOffscreen"},
        {unknown, "unknown"},
    }};
};

} // namespace QelCore
