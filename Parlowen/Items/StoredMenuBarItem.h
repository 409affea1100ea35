#pragma once

#include "Parlowen/Items/MenuBarItemStableIdentity.h"
#include "Parlowen/Items/ReferenceDate.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

namespace Parlowen {

struct AXMenuBarItemRecord;

// What the favourites and recents entries share: the item's identity and names, and the coding
// of their fields. Every field of a stored entry is required and must have its type.
namespace StoredMenuBarItem {

// The name an entry stores for a scanned item.
std::string displayName(const AXMenuBarItemRecord& item);

std::optional<std::string> stringField(const nlohmann::json& object, const char* name);
std::optional<MenuBarItemStableIdentity> identityField(const nlohmann::json& object,
                                                       const char* name);
std::optional<Date> dateField(const nlohmann::json& object, const char* name);

// {"rawValue": key}, and a date as seconds since the reference date.
nlohmann::ordered_json encode(const MenuBarItemStableIdentity& identity);
nlohmann::ordered_json encode(Date date);

} // namespace StoredMenuBarItem

} // namespace Parlowen
