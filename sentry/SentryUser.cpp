#include "sentry/SentryUser.h"

#include "sentry/JsonFields.h"

namespace sentry {

nlohmann::json SentryUser::toJson() const {
    auto object = nlohmann::json::object();
    const auto put = [&](const char* key, const std::optional<std::string>& value) {
        if (value) {
            object[key] = *value;
        }
    };
    put("id", userId);
    put("username", username);
    put("name", name);
    put("ip_address", ipAddress);
    return object;
}

SentryUser SentryUser::fromJson(const nlohmann::json& object) {
    return {JsonFields::text(object, "id"), JsonFields::text(object, "username"),
            JsonFields::text(object, "name"), JsonFields::text(object, "ip_address")};
}

} // namespace sentry
