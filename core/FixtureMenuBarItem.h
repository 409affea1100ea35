#pragma once

#include "core/FixtureMenuBarItemSourceHint.h"
#include "core/MenuBarItemSnapshot.h"
#include "core/VisibilityClassification.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace QelCore {

// One menu-bar item as the candidate filter reads it: an item of a scan fixture, or a live item
// that a scanner turned into this form.
struct FixtureMenuBarItem {
    std::string appName;
    std::int32_t pid = 0;
    std::string role;
    std::optional<std::string> subrole;
    std::vector<std::string> actions;
    FixtureMenuBarItemSourceHint sourceHint = FixtureMenuBarItemSourceHint::unknown;
    std::string title;
    MenuBarItemSnapshot snapshot;
    VisibilityClassification expectedVisibility = VisibilityClassification::unknown;

    friend bool operator==(const FixtureMenuBarItem&, const FixtureMenuBarItem&) = default;
};

} // namespace QelCore
