#include "platform/UserDefaultsFileCodec.h"

#include "platform/JsonTextSpans.h"

#include <nlohmann/json.hpp>
#include <sodium.h>

#include <cmath>
#include <limits>

namespace platform {

std::optional<DefaultsValue> UserDefaultsFileContents::value(std::string_view key) const {
    const auto found = values.find(key);
    return found != values.end() ? std::optional(found->second) : std::nullopt;
}

void UserDefaultsFileContents::put(std::string_view key, std::optional<DefaultsValue> value) {
    if (const auto other = otherMembers.find(key); other != otherMembers.end()) {
        otherMembers.erase(other);
    }
    if (value) {
        values.insert_or_assign(std::string(key), std::move(*value));
    } else if (const auto found = values.find(key); found != values.end()) {
        values.erase(found);
    }
}

} // namespace platform

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

// The value of a member of a known type; none for a list, null or an unknown object.
std::optional<DefaultsValue> decodeMember(std::string_view text) {
    if (text.empty() || text.front() == '[' || text.front() == 'n') {
        return std::nullopt;
    }
    const json value = json::parse(text, nullptr, false);
    return value.is_discarded() ? std::nullopt : decodeValue(value);
}

std::string jsonText(const json& value) {
    // Text that is not UTF-8 cannot be held in JSON; its bad bytes become U+FFFD rather than
    // failing the whole write.
    return value.dump(2, ' ', false, json::error_handler_t::replace);
}

// A value's text as a member of the top-level object: nested lines indented one level more.
std::string memberText(const DefaultsValue& value) {
    const json encoded = std::visit(
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
    std::string text;
    for (const char character : jsonText(encoded)) {
        text += character;
        if (character == '\n') {
            text += "  ";
        }
    }
    return text;
}

} // namespace

std::string encode(const UserDefaultsFileContents& contents) {
    std::map<std::string_view, std::string> members;
    for (const auto& [key, text] : contents.otherMembers) {
        members.insert_or_assign(key, text);
    }
    for (const auto& [key, value] : contents.values) {
        members.insert_or_assign(key, memberText(value));
    }
    if (members.empty()) {
        return "{}\n";
    }
    std::string text = "{";
    for (const auto& [key, member] : members) {
        text += text.size() == 1 ? "\n  " : ",\n  ";
        text += jsonText(json(std::string(key)));
        text += ": ";
        text += member;
    }
    return text + "\n}\n";
}

std::optional<UserDefaultsFileContents> decode(std::string_view text) {
    if (!json::accept(text) || JsonTextSpans::openingCharacter(text) != '{') {
        return std::nullopt;
    }
    UserDefaultsFileContents contents;
    for (const auto& member : JsonTextSpans::members(text)) {
        const json keyToken = json::parse(member.key, nullptr, false);
        if (!keyToken.is_string()) {
            return std::nullopt;
        }
        auto key = keyToken.get<std::string>();
        if (auto value = decodeMember(member.value)) {
            contents.otherMembers.erase(key);
            contents.values.insert_or_assign(std::move(key), std::move(*value));
        } else {
            contents.values.erase(key);
            contents.otherMembers.insert_or_assign(std::move(key), std::string(member.value));
        }
    }
    return contents;
}

} // namespace platform::UserDefaultsFileCodec
