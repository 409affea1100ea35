#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

namespace sentry {

// The user an event is attributed to; unset fields are left out.
struct SentryUser {
    std::optional<std::string> userId;
    std::optional<std::string> username;
    std::optional<std::string> name;
    // "{{auto}}" asks the server to fill in the address the event came from.
    std::optional<std::string> ipAddress;

    friend bool operator==(const SentryUser&, const SentryUser&) = default;

    nlohmann::json toJson() const;
    // The fields of a user object; texts of other types are left unset.
    static SentryUser fromJson(const nlohmann::json& object);
};

} // namespace sentry
