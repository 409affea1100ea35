#pragma once

#include "sentry/Breadcrumb.h"
#include "sentry/SentryId.h"
#include "sentry/SentryUser.h"

#include <nlohmann/json.hpp>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace sentry {

// How this client names itself to the server.
inline constexpr const char* sdkName = "tessaline.sentry";
inline constexpr const char* sdkVersion = "0.1.0";

// One event as it is sent: a message or a crash with its context.
struct Event {
    SentryId eventId;
    // Seconds since 1970.
    double timestamp = 0;
    // "fatal", "error", "warning", "info" or "debug".
    std::string level = "info";
    std::optional<std::string> message;
    std::string release;
    std::string environment;
    std::map<std::string, std::string> tags;
    std::map<std::string, nlohmann::json> extras;
    std::optional<SentryUser> user;
    std::vector<Breadcrumb> breadcrumbs;
    // The exception interface of a crash; null for messages.
    nlohmann::json exception;

    nlohmann::json toJson() const;
    // An event payload as `toJson` writes it (a crash report read back); none when it is not
    // an object with a valid event id. Fields of the wrong type are left at their defaults.
    static std::optional<Event> fromJson(const nlohmann::json& payload);
};

} // namespace sentry
