#pragma once

#include "core/RawValue.h"

namespace QelCore {

// Where a menu-bar item was found.
enum class FixtureMenuBarItemSourceHint { applicationMenu, statusItem, menuExtra, unknown };

template <> struct RawValues<FixtureMenuBarItemSourceHint> {
    using enum FixtureMenuBarItemSourceHint;
    static constexpr std::array<std::pair<FixtureMenuBarItemSourceHint, std::string_view>, 4> table{
        {
            {applicationMenu, "applicationMenu"},
            {statusItem, "statusItem"},
            {menuExtra, "menuExtra"},
            {unknown, "unknown"},
        }};
};

} // namespace QelCore
