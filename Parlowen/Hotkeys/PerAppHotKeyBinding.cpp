#include "Parlowen/Hotkeys/PerAppHotKeyBinding.h"

#include "Parlowen/Items/StoredMenuBarItem.h"

namespace Parlowen {

nlohmann::ordered_json PerAppHotKeyBinding::toJson() const {
    nlohmann::ordered_json json;
    json["identity"] = StoredMenuBarItem::encode(identity);
    json["appName"] = appName;
    json["displayName"] = displayName;
    json["shortcut"] = shortcut.toJson();
    json["assignedAt"] = StoredMenuBarItem::encode(assignedAt);
    return json;
}

std::optional<PerAppHotKeyBinding> PerAppHotKeyBinding::fromJson(const nlohmann::json& json) {
    auto identity = StoredMenuBarItem::identityField(json, "identity");
    auto appName = StoredMenuBarItem::stringField(json, "appName");
    auto displayName = StoredMenuBarItem::stringField(json, "displayName");
    const auto assignedAt = StoredMenuBarItem::dateField(json, "assignedAt");
    if (!identity || !appName || !displayName || !assignedAt || !json.contains("shortcut")) {
        return std::nullopt;
    }
    const auto shortcut = PerAppHotKeyShortcut::fromJson(json["shortcut"]);
    if (!shortcut) {
        return std::nullopt;
    }
    return PerAppHotKeyBinding{std::move(*identity), std::move(*appName), std::move(*displayName),
                               *shortcut, *assignedAt};
}

} // namespace Parlowen
