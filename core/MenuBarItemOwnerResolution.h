#pragma once

#include <optional>
#include <string>
#include <vector>

namespace QelCore {

// The owner an item is shown under, its title, and notes that say how it was attributed.
struct MenuBarItemOwnerResolution {
    std::string appName;
    std::optional<std::string> bundleIdentifier;
    std::string title;
    std::vector<std::string> notes;

    friend bool operator==(const MenuBarItemOwnerResolution&,
                           const MenuBarItemOwnerResolution&) = default;
};

} // namespace QelCore
