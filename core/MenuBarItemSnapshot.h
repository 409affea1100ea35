#pragma once

#include "core/ScreenSnapshot.h"

#include <string>

namespace QelCore {

// The title and Cocoa frame of one item of a scan fixture.
struct MenuBarItemSnapshot {
    std::string title;
    CGRect frame;

    friend bool operator==(const MenuBarItemSnapshot&, const MenuBarItemSnapshot&) = default;
};

} // namespace QelCore
