#pragma once

#include "core/RawValue.h"

namespace QelCore {

// What proved that a menu opened.
enum class MenuOpenEvidenceSource {
    axMenuOpened,
    axWindowCreated,
    axChildrenDiff,
    windowServerDiff,
    none
};

template <> struct RawValues<MenuOpenEvidenceSource> {
    using enum MenuOpenEvidenceSource;
    static constexpr std::array<std::pair<MenuOpenEvidenceSource, std::string_view>, 5> table{{
        {axMenuOpened, "axMenuOpened"},
        {axWindowCreated, "axWindowCreated"},
        {axChildrenDiff, "axChildrenDiff"},
        {windowServerDiff, "windowServerDiff"},
        {none, "none"},
    }};
};

} // namespace QelCore
