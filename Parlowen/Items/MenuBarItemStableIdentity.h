#pragma once

#include "core/FixtureMenuBarItemSourceHint.h"

#include <nlohmann/json.hpp>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace Parlowen {

struct AXMenuBarItemRecord;

// The key that names a menu-bar item across scans and launches, under which favourites,
// recents, per-app hotkeys and compatibility records are stored. Version 2 is
// "v2|bundle id|source|app name|title|role|subrole"; the legacy version 1 leaves out the bundle
// id. Every field has its "|" replaced by "/", so a key always splits back into its fields.
struct MenuBarItemStableIdentity {
    std::string rawValue;

    static MenuBarItemStableIdentity makeV2(const std::optional<std::string>& bundleIdentifier,
                                            std::string_view appName, std::string_view title,
                                            std::string_view role, std::string_view subrole,
                                            QelCore::FixtureMenuBarItemSourceHint sourceHint);
    static MenuBarItemStableIdentity makeV1(std::string_view appName, std::string_view title,
                                            std::string_view role, std::string_view subrole,
                                            QelCore::FixtureMenuBarItemSourceHint sourceHint);
    // The version-2 key of a scanned record.
    static MenuBarItemStableIdentity of(const AXMenuBarItemRecord& record);

    // The text before the first "|" ("v2", "v1"); the whole key without "|"; "unknown" for the
    // empty key.
    std::string version() const;
    // For a version-2 key, the version-1 key of the same item; none for any other key.
    std::optional<MenuBarItemStableIdentity> legacyV1Equivalent() const;

    // Whether this stored key names the item whose version-2 key is `itemKey`: equal to it or to
    // its legacy equivalent.
    bool matches(const MenuBarItemStableIdentity& itemKey) const;
    // Whether the two keys name one item, whichever of them is stored: equal, or one is the
    // other's legacy equivalent.
    bool namesSameItem(const MenuBarItemStableIdentity& other) const {
        return matches(other) || other.matches(*this);
    }
    bool matches(const AXMenuBarItemRecord& record) const;

    // {"rawValue": key}.
    nlohmann::json toJson() const;
    // None when the value is not an object with a string member "rawValue".
    static std::optional<MenuBarItemStableIdentity> fromJson(const nlohmann::json& json);

    friend bool operator==(const MenuBarItemStableIdentity&,
                           const MenuBarItemStableIdentity&) = default;
    friend auto operator<=>(const MenuBarItemStableIdentity&,
                            const MenuBarItemStableIdentity&) = default;
};

} // namespace Parlowen

template <> struct std::hash<Parlowen::MenuBarItemStableIdentity> {
    std::size_t operator()(const Parlowen::MenuBarItemStableIdentity& identity) const noexcept {
        return std::hash<std::string>{}(identity.rawValue);
    }
};
