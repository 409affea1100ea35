#include "Parlowen/Settings/StoredJSONList.h"

#include <cmath>
#include <cstdint>
#include <optional>

namespace Parlowen::StoredJSONList {

namespace {

// The parsed array stored under `key`, or none when the value is absent, not data or not an
// array.
std::optional<nlohmann::json> storedArray(const platform::UserDefaults& defaults,
                                          std::string_view key) {
    const auto data = defaults.dataForKey(key);
    if (!data) {
        return std::nullopt;
    }
    nlohmann::json parsed = nlohmann::json::parse(data->begin(), data->end(), nullptr, false);
    if (!parsed.is_array()) {
        return std::nullopt;
    }
    return parsed;
}

} // namespace

std::vector<nlohmann::json> load(const platform::UserDefaults& defaults, std::string_view key) {
    auto array = storedArray(defaults, key);
    if (!array) {
        return {};
    }
    return std::vector<nlohmann::json>(std::make_move_iterator(array->begin()),
                                       std::make_move_iterator(array->end()));
}

void save(platform::UserDefaults& defaults, std::string_view key,
          const nlohmann::ordered_json& array) {
    std::string text;
    try {
        text = array.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    } catch (const nlohmann::json::exception&) {
        return; // Nothing is written when the list cannot be encoded.
    }
    if (const auto existing = defaults.objectForKey(key); existing && !storedArray(defaults, key)) {
        defaults.set(backupKey(key), *existing);
    }
    text = escapingSlashes(text);
    defaults.set(key, platform::DefaultsData(text.begin(), text.end()));
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

std::string backupKey(std::string_view key) {
    return std::string(key) + ".unreadable";
}

nlohmann::ordered_json number(double value) {
    constexpr double exactLimit = 9007199254740992.0; // 2^53
    if (std::isfinite(value) && std::trunc(value) == value && std::abs(value) <= exactLimit) {
        return static_cast<std::int64_t>(value);
    }
    return value;
}

} // namespace Parlowen::StoredJSONList
