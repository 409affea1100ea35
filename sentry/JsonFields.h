#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <string_view>

// Reads and writes of JSON that never throw: a missing field or one of another type gives no
// value.
namespace sentry::JsonFields {

inline std::optional<std::string> text(const nlohmann::json& object, std::string_view key) {
    if (!object.is_object()) {
        return std::nullopt;
    }
    const auto found = object.find(key);
    if (found == object.end() || !found->is_string()) {
        return std::nullopt;
    }
    return found->get<std::string>();
}

inline std::optional<double> number(const nlohmann::json& object, std::string_view key) {
    if (!object.is_object()) {
        return std::nullopt;
    }
    const auto found = object.find(key);
    if (found == object.end() || !found->is_number()) {
        return std::nullopt;
    }
    return found->get<double>();
}

// Compact JSON text; texts that are not valid UTF-8 get U+FFFD instead of failing.
inline std::string compact(const nlohmann::json& value) {
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

} // namespace sentry::JsonFields
