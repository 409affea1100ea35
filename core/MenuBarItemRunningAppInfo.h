#pragma once

#include <optional>
#include <string>

namespace QelCore {

// One running application as owner resolution sees it.
struct MenuBarItemRunningAppInfo {
    std::string appName;
    std::optional<std::string> bundleIdentifier;

    friend bool operator==(const MenuBarItemRunningAppInfo&,
                           const MenuBarItemRunningAppInfo&) = default;
};

} // namespace QelCore
