#pragma once

#include "Parlowen/Hotkeys/PerAppHotKeyShortcut.h"
#include "Parlowen/Items/MenuBarItemStableIdentity.h"
#include "Parlowen/Items/ReferenceDate.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

namespace Parlowen {

// One stored per-app hotkey: the chord that opens one menu-bar item's menu.
struct PerAppHotKeyBinding {
    // Written as the item's version-2 key; older entries may hold a version-1 key.
    MenuBarItemStableIdentity identity;
    // The item's names when the chord was assigned.
    std::string appName;
    std::string displayName;
    PerAppHotKeyShortcut shortcut;
    Date assignedAt;

    // One element of the stored array, keys in field order, the date as seconds since 2001.
    nlohmann::ordered_json toJson() const;
    // None unless every field is present with its type.
    static std::optional<PerAppHotKeyBinding> fromJson(const nlohmann::json& json);

    friend bool operator==(const PerAppHotKeyBinding&, const PerAppHotKeyBinding&) = default;
};

} // namespace Parlowen
