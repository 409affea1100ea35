#include "Parlowen/Settings/StoredJSONList.h"

#include "platform/JsonTextSpans.h"

#include <cmath>
#include <cstdint>
#include <optional>

namespace Parlowen::StoredJSONList {

namespace {

// More unreadable values of one key than this are not kept: the list then stays as it is.
constexpr int maximumBackups = 100;

// The stored data's text when it is one JSON array; none when the value is absent, not data
// or not an array.
std::optional<std::string> arrayText(const std::optional<platform::DefaultsValue>& value) {
    const auto* data = value ? std::get_if<platform::DefaultsData>(&*value) : nullptr;
    if (!data) {
        return std::nullopt;
    }
    std::string text(data->begin(), data->end());
    if (platform::JsonTextSpans::openingCharacter(text) != '[' || !nlohmann::json::accept(text)) {
        return std::nullopt;
    }
    return text;
}

// Copies `value` to the first backup key of `key` that is free or holds it already; false
// when every one holds something else.
bool keepUnreadable(platform::UserDefaults& defaults, std::string_view key,
                    const platform::DefaultsValue& value) {
    for (int number = 1; number <= maximumBackups; ++number) {
        const auto seen = defaults.update(backupKey(key, number), [value](const auto& stored) {
            return !stored || *stored == value ? std::optional(value) : stored;
        });
        if (!seen || *seen == value) {
            return true;
        }
    }
    return false;
}

} // namespace

std::vector<nlohmann::json> elements(const std::optional<platform::DefaultsValue>& value) {
    const auto text = arrayText(value);
    if (!text) {
        return {};
    }
    auto array = nlohmann::json::parse(*text, nullptr, false);
    return std::vector<nlohmann::json>(std::make_move_iterator(array.begin()),
                                       std::make_move_iterator(array.end()));
}

std::vector<nlohmann::json> load(const platform::UserDefaults& defaults, std::string_view key) {
    return elements(defaults.objectForKey(key));
}

std::optional<platform::DefaultsValue> update(platform::UserDefaults& defaults,
                                              std::string_view key, const ElementsChange& change) {
    // An unreadable value is copied aside before it is replaced. Should another process store
    // a different unreadable value in between, that one is copied in the next round; a change
    // that waits for another process's lock and meets one is dropped and reported by the store,
    // as no next round follows it.
    std::optional<platform::DefaultsValue> keptAside;
    std::optional<platform::DefaultsValue> seen;
    for (int round = 0; round < maximumBackups; ++round) {
        seen = defaults.updateIf(
            key,
            [keptAside](const std::optional<platform::DefaultsValue>& stored) {
                return !stored || arrayText(stored) || stored == keptAside;
            },
            [change](const std::optional<platform::DefaultsValue>& stored) {
                const auto text = arrayText(stored);
                const auto elements = text ? platform::JsonTextSpans::elements(*text)
                                           : std::vector<std::string_view>{};
                const auto changed = change(elements);
                if (!changed) {
                    return stored;
                }
                std::string array = "[";
                for (const auto& element : *changed) {
                    array += array.size() == 1 ? "" : ",";
                    array += element;
                }
                array += ']';
                return std::optional<platform::DefaultsValue>(
                    platform::DefaultsData(array.begin(), array.end()));
            });
        const bool unreadable = seen && !arrayText(seen) && seen != keptAside;
        if (!unreadable || !keepUnreadable(defaults, key, *seen)) {
            return seen;
        }
        keptAside = seen;
    }
    return seen;
}

std::string backupKey(std::string_view key, int number) {
    std::string backup = std::string(key) + ".unreadable";
    return number == 1 ? backup : backup + "-" + std::to_string(number);
}

std::optional<std::string> encode(const nlohmann::ordered_json& value) {
    try {
        return escapingSlashes(
            value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace));
    } catch (const nlohmann::json::exception&) {
        return std::nullopt;
    }
}

std::string escapingSlashes(const std::string& compactJson) {
    std::string result;
    result.reserve(compactJson.size());
    for (const char byte : compactJson) {
        if (byte == '/') {
            result += '\\';
        }
        result += byte;
    }
    return result;
}

nlohmann::ordered_json number(double value) {
    constexpr double exactLimit = 9007199254740992.0; // 2^53
    if (std::isfinite(value) && std::trunc(value) == value && std::abs(value) <= exactLimit) {
        return static_cast<std::int64_t>(value);
    }
    return value;
}

} // namespace Parlowen::StoredJSONList
