#include "Parlowen/Opening/CompatibilityRecord.h"

#include "Parlowen/Items/StoredMenuBarItem.h"

#include <limits>

namespace Parlowen {

namespace {

using QelCore::MenuKeyboardNavigability;

// A whole number that fits the counter; a fraction or a larger number does not decode.
std::optional<std::int64_t> integerValue(const nlohmann::json& value) {
    if (value.is_number_unsigned()) {
        const auto number = value.get<std::uint64_t>();
        if (number > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            return std::nullopt;
        }
        return static_cast<std::int64_t>(number);
    }
    if (value.is_number_integer()) {
        return value.get<std::int64_t>();
    }
    return std::nullopt;
}

std::optional<std::int64_t> integerField(const nlohmann::json& object, const char* name) {
    const auto found = object.find(name);
    return found == object.end() ? std::nullopt : integerValue(*found);
}

// A key that may be missing: absent or null gives the fallback, a wrong type gives none.
template <typename T, typename Read>
std::optional<T> optionalField(const nlohmann::json& object, const char* name, T fallback,
                               Read read) {
    const auto found = object.find(name);
    if (found == object.end() || found->is_null()) {
        return fallback;
    }
    return read(*found);
}

} // namespace

nlohmann::ordered_json CompatibilityRecord::toJson() const {
    return nlohmann::ordered_json{
        {"identity", StoredMenuBarItem::encode(identity)},
        {"appName", appName},
        {"displayName", displayName},
        {"lastOutcome", QelCore::toString(lastOutcome)},
        {"lastAttemptedAt", StoredMenuBarItem::encode(lastAttemptedAt)},
        {"observedOpenCount", observedOpenCount},
        {"actionSentCount", actionSentCount},
        {"failureCount", failureCount},
        {"lastKeyboardNavigability", QelCore::toString(lastKeyboardNavigability)},
        {"keyboardNavigableCount", keyboardNavigableCount},
        {"keyboardNotNavigableCount", keyboardNotNavigableCount},
        {"keyboardUnknownCount", keyboardUnknownCount},
    };
}

std::optional<CompatibilityRecord> CompatibilityRecord::fromJson(const nlohmann::json& json) {
    if (!json.is_object()) {
        return std::nullopt;
    }
    const auto identity = StoredMenuBarItem::identityField(json, "identity");
    const auto appName = StoredMenuBarItem::stringField(json, "appName");
    const auto displayName = StoredMenuBarItem::stringField(json, "displayName");
    const auto outcomeText = StoredMenuBarItem::stringField(json, "lastOutcome");
    const auto lastOutcome =
        outcomeText ? QelCore::fromString<CompatibilityLabel>(*outcomeText) : std::nullopt;
    const auto lastAttemptedAt = StoredMenuBarItem::dateField(json, "lastAttemptedAt");
    const auto observed = integerField(json, "observedOpenCount");
    const auto sent = integerField(json, "actionSentCount");
    const auto failures = integerField(json, "failureCount");
    const auto navigability = optionalField<MenuKeyboardNavigability>(
        json, "lastKeyboardNavigability", MenuKeyboardNavigability::unknown,
        [](const nlohmann::json& value) -> std::optional<MenuKeyboardNavigability> {
            if (!value.is_string()) {
                return std::nullopt;
            }
            return QelCore::fromString<MenuKeyboardNavigability>(value.get<std::string>());
        });
    const auto navigable =
        optionalField<std::int64_t>(json, "keyboardNavigableCount", 0, integerValue);
    const auto notNavigable =
        optionalField<std::int64_t>(json, "keyboardNotNavigableCount", 0, integerValue);
    const auto unknown = optionalField<std::int64_t>(json, "keyboardUnknownCount", 0, integerValue);
    if (!identity || !appName || !displayName || !lastOutcome || !lastAttemptedAt || !observed ||
        !sent || !failures || !navigability || !navigable || !notNavigable || !unknown) {
        return std::nullopt;
    }
    return CompatibilityRecord{*identity,        *appName,   *displayName,  *lastOutcome,
                               *lastAttemptedAt, *observed,  *sent,         *failures,
                               *navigability,    *navigable, *notNavigable, *unknown};
}

} // namespace Parlowen
