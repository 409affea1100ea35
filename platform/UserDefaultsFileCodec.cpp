#include "platform/UserDefaultsFileCodec.h"

#include <nlohmann/json.hpp>
#include <sodium.h>

#include <cmath>
#include <limits>

namespace platform::UserDefaultsFileCodec {

namespace {

using nlohmann::json;

constexpr int base64Variant = sodium_base64_VARIANT_ORIGINAL;

std::string base64(const DefaultsData& data) {
    std::string text(sodium_base64_ENCODED_LEN(data.size(), base64Variant), '\0');
    sodium_bin2base64(text.data(), text.size(), data.data(), data.size(), base64Variant);
    text.resize(text.size() - 1); // the encoder's terminating NUL
    return text;
}

std::optional<DefaultsData> fromBase64(const std::string& text) {
    DefaultsData data(text.size() / 4 * 3 + 3);
    std::size_t length = 0;
    const char* end = nullptr;
    if (sodium_base642bin(data.data(), data.size(), text.data(), text.size(), nullptr, &length,
                          &end, base64Variant) != 0 ||
        end != text.data() + text.size()) {
        return std::nullopt;
    }
    data.resize(length);
    return data;
}

json encodeDouble(double value) {
    if (std::isfinite(value)) {
        return value;
    }
    return json{{"double", std::isnan(value) ? "nan" : (value > 0 ? "inf" : "-inf")}};
}

std::optional<double> decodeSpecialDouble(const std::string& text) {
    constexpr double infinity = std::numeric_limits<double>::infinity();
    if (text == "nan") {
        return std::numeric_limits<double>::quiet_NaN();
    }
    if (text == "inf") {
        return infinity;
    }
    if (text == "-inf") {
        return -infinity;
    }
    return std::nullopt;
}

std::optional<DefaultsValue> decodeTagged(const json& object) {
    if (object.size() != 1 || !object.begin().value().is_string()) {
        return std::nullopt;
    }
    const auto& text = object.begin().value().get_ref<const std::string&>();
    if (object.begin().key() == "data") {
        return fromBase64(text);
    }
    if (object.begin().key() == "double") {
        return decodeSpecialDouble(text);
    }
    return std::nullopt;
}

std::optional<DefaultsValue> decodeValue(const json& value) {
    switch (value.type()) {
    case json::value_t::boolean:
        return value.get<bool>();
    case json::value_t::number_integer:
        return value.get<std::int64_t>();
    case json::value_t::number_unsigned: {
        const auto number = value.get<std::uint64_t>();
        if (number <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            return static_cast<std::int64_t>(number);
        }
        return static_cast<double>(number);
    }
    case json::value_t::number_float:
        return value.get<double>();
    case json::value_t::string:
        return value.get<std::string>();
    case json::value_t::object:
        return decodeTagged(value);
    default:
        return std::nullopt;
    }
}

} // namespace

std::string encode(const DefaultsDictionary& values) {
    json object = json::object();
    for (const auto& [key, value] : values) {
        object[key] = std::visit(
            [](const auto& typed) -> json {
                using T = std::decay_t<decltype(typed)>;
                if constexpr (std::is_same_v<T, DefaultsData>) {
                    return json{{"data", base64(typed)}};
                } else if constexpr (std::is_same_v<T, double>) {
                    return encodeDouble(typed);
                } else {
                    return typed;
                }
            },
            value);
    }
    // Text that is not UTF-8 cannot be held in JSON; its bad bytes become U+FFFD rather than
    // failing the whole write.
    return object.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

std::optional<DefaultsDictionary> decode(std::string_view text) {
    const json document = json::parse(text, nullptr, false);
    if (!document.is_object()) {
        return std::nullopt;
    }
    DefaultsDictionary values;
    for (const auto& [key, member] : document.items()) {
        auto value = decodeValue(member);
        if (!value) {
            return std::nullopt;
        }
        values.insert_or_assign(key, std::move(*value));
    }
    return values;
}

} // namespace platform::UserDefaultsFileCodec
