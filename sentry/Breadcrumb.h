#pragma once

#include <nlohmann/json.hpp>

#include <string>

namespace sentry {

// A step that led up to an event, kept on the scope and attached to later events.
struct Breadcrumb {
    std::string category;
    std::string message;
    std::string type = "default";
    std::string level = "info";
    // Seconds since 1970; 0 takes the time it is added.
    double timestamp = 0;
    nlohmann::json data = nlohmann::json::object();

    friend bool operator==(const Breadcrumb&, const Breadcrumb&) = default;

    nlohmann::json toJson() const;
    // The fields of a breadcrumb object; values of the wrong type keep their defaults.
    static Breadcrumb fromJson(const nlohmann::json& object);
};

} // namespace sentry
