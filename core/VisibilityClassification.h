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

// Whether the item cannot be seen where it sits: behind the notch or past a screen edge.
constexpr bool isHidden(VisibilityClassification classification) {
    return classification == VisibilityClassification::hiddenBehindNotch ||
           classification == VisibilityClassification::pushedOffscreen;
}

} // namespace QelCore
