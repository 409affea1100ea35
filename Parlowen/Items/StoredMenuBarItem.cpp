#include "Parlowen/Items/StoredMenuBarItem.h"

#include "Parlowen/Items/AXMenuBarItemRecord.h"
#include "Parlowen/Settings/StoredJSONList.h"
#include "core/MenuBarItemDisplayNameResolver.h"

namespace Parlowen::StoredMenuBarItem {

namespace {

const nlohmann::json* member(const nlohmann::json& object, const char* name) {
    if (!object.is_object()) {
        return nullptr;
    }
    const auto found = object.find(name);
    return found == object.end() ? nullptr : &*found;
}

} // namespace

std::string displayName(const AXMenuBarItemRecord& item) {
    return QelCore::MenuBarItemDisplayNameResolver::resolve(
        item.title, std::optional<std::string>(), item.appName, std::nullopt);
}

std::optional<std::string> stringField(const nlohmann::json& object, const char* name) {
    const nlohmann::json* value = member(object, name);
    if (value == nullptr || !value->is_string()) {
        return std::nullopt;
    }
    return value->get<std::string>();
}

std::optional<MenuBarItemStableIdentity> identityField(const nlohmann::json& object,
                                                       const char* name) {
    const nlohmann::json* value = member(object, name);
    return value == nullptr ? std::nullopt : MenuBarItemStableIdentity::fromJson(*value);
}

std::optional<Date> dateField(const nlohmann::json& object, const char* name) {
    const nlohmann::json* value = member(object, name);
    if (value == nullptr || !value->is_number()) {
        return std::nullopt;
    }
    return ReferenceDate::fromSecondsSinceReferenceDate(value->get<double>());
}

nlohmann::ordered_json encode(const MenuBarItemStableIdentity& identity) {
    return nlohmann::ordered_json{{"rawValue", identity.rawValue}};
}

nlohmann::ordered_json encode(Date date) {
    return StoredJSONList::number(ReferenceDate::secondsSinceReferenceDate(date));
}

} // namespace Parlowen::StoredMenuBarItem
