#include "platform/DistributedNotificationCodec.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>

namespace platform::DistributedNotificationCodec {

namespace {

using nlohmann::json;

constexpr std::string_view formatName = "app.tessaline.distributed-notification";
constexpr int formatVersion = 1;

std::optional<json> toJson(const Value& value, int depth) {
    if (depth > maximumUserInfoDepth) {
        return std::nullopt;
    }
    switch (value.kind()) {
    case Value::Kind::boolean:
        return json(*value.boolean());
    case Value::Kind::integer:
        return json(*value.integer());
    case Value::Kind::real:
        if (!std::isfinite(*value.number())) {
            return std::nullopt;
        }
        return json(*value.number());
    case Value::Kind::string:
        return json(*value.string());
    case Value::Kind::list: {
        json list = json::array();
        for (const Value& entry : *value.list()) {
            std::optional<json> converted = toJson(entry, depth + 1);
            if (!converted) {
                return std::nullopt;
            }
            list.push_back(std::move(*converted));
        }
        return list;
    }
    case Value::Kind::dictionary: {
        json object = json::object();
        for (const auto& [key, entry] : *value.dictionary()) {
            std::optional<json> converted = toJson(entry, depth + 1);
            if (!converted) {
                return std::nullopt;
            }
            object[key] = std::move(*converted);
        }
        return object;
    }
    default:
        // Absent values, points, sizes and elements do not travel between processes.
        return std::nullopt;
    }
}

std::optional<Value> fromJson(const json& value, int depth) {
    if (depth > maximumUserInfoDepth) {
        return std::nullopt;
    }
    switch (value.type()) {
    case json::value_t::boolean:
        return Value(value.get<bool>());
    case json::value_t::number_integer:
        return Value(value.get<std::int64_t>());
    case json::value_t::number_unsigned:
        if (value.get<std::uint64_t>() >
            static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            return Value(value.get<double>());
        }
        return Value(static_cast<std::int64_t>(value.get<std::uint64_t>()));
    case json::value_t::number_float:
        return Value(value.get<double>());
    case json::value_t::string:
        return Value(value.get<std::string>());
    case json::value_t::array: {
        Value::List list;
        for (const json& entry : value) {
            std::optional<Value> converted = fromJson(entry, depth + 1);
            if (!converted) {
                return std::nullopt;
            }
            list.push_back(std::move(*converted));
        }
        return Value(std::move(list));
    }
    case json::value_t::object: {
        Value::Dictionary dictionary;
        for (const auto& [key, entry] : value.items()) {
            std::optional<Value> converted = fromJson(entry, depth + 1);
            if (!converted) {
                return std::nullopt;
            }
            dictionary.emplace(key, std::move(*converted));
        }
        return Value(std::move(dictionary));
    }
    default:
        return std::nullopt;
    }
}

} // namespace

std::optional<std::string> encode(const DistributedNotification& notification, pid_t sender) {
    std::optional<json> userInfo = toJson(Value(notification.userInfo), 0);
    if (!userInfo || notification.name.empty()) {
        return std::nullopt;
    }
    json message = {{"format", formatName},
                    {"version", formatVersion},
                    {"sender", sender},
                    {"name", notification.name},
                    {"object", notification.object ? json(*notification.object) : json(nullptr)},
                    {"userInfo", std::move(*userInfo)}};
    // Ill-formed UTF-8 travels as U+FFFD rather than failing the whole post.
    std::string bytes = message.dump(-1, ' ', false, json::error_handler_t::replace);
    if (bytes.size() > maximumMessageSize) {
        return std::nullopt;
    }
    return bytes;
}

std::variant<Message, std::string> decode(std::string_view bytes) {
    if (bytes.size() > maximumMessageSize) {
        return std::string("message larger than 4096 bytes");
    }
    const json message = json::parse(bytes, nullptr, /*allow_exceptions=*/false);
    if (message.is_discarded() || !message.is_object()) {
        return std::string("message is not a JSON object");
    }
    const auto field = [&](const char* key) -> const json* {
        auto found = message.find(key);
        return found == message.end() ? nullptr : &*found;
    };
    const json* format = field("format");
    const json* version = field("version");
    if (format == nullptr || !format->is_string() ||
        format->get_ref<const std::string&>() != formatName || version == nullptr ||
        !version->is_number_integer() || version->get<std::int64_t>() != formatVersion) {
        return std::string("message is not a distributed notification of this program");
    }
    const json* sender = field("sender");
    if (sender == nullptr || !sender->is_number_integer() || sender->get<std::int64_t>() <= 0 ||
        sender->get<std::int64_t>() > std::numeric_limits<pid_t>::max()) {
        return std::string("message has no valid sender");
    }
    const json* name = field("name");
    if (name == nullptr || !name->is_string() || name->get_ref<const std::string&>().empty()) {
        return std::string("message has no name");
    }
    const json* object = field("object");
    if (object != nullptr && !object->is_string() && !object->is_null()) {
        return std::string("message object is not a string");
    }
    const json* userInfo = field("userInfo");
    if (userInfo != nullptr && !userInfo->is_object() && !userInfo->is_null()) {
        return std::string("message user info is not an object");
    }
    Message decoded;
    decoded.sender = static_cast<pid_t>(sender->get<std::int64_t>());
    decoded.notification.name = name->get<std::string>();
    if (object != nullptr && object->is_string()) {
        decoded.notification.object = object->get<std::string>();
    }
    if (userInfo != nullptr && userInfo->is_object()) {
        std::optional<Value> info = fromJson(*userInfo, 0);
        if (!info || info->dictionary() == nullptr) {
            return std::string("message user info is nested too deeply");
        }
        decoded.notification.userInfo = *info->dictionary();
    }
    return decoded;
}

} // namespace platform::DistributedNotificationCodec
