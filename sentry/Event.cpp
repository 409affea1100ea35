#include "sentry/Event.h"

#include "sentry/JsonFields.h"

namespace sentry {

nlohmann::json Event::toJson() const {
    nlohmann::json object{
        {"event_id", eventId.sentryIdString()},
        {"timestamp", timestamp},
        {"platform", "native"},
        {"level", level},
        {"sdk", {{"name", sdkName}, {"version", sdkVersion}}},
    };
    if (message) {
        object["message"] = {{"formatted", *message}};
    }
    if (!release.empty()) {
        object["release"] = release;
    }
    if (!environment.empty()) {
        object["environment"] = environment;
    }
    if (!tags.empty()) {
        object["tags"] = tags;
    }
    if (!extras.empty()) {
        object["extra"] = extras;
    }
    if (user) {
        object["user"] = user->toJson();
    }
    if (!breadcrumbs.empty()) {
        auto values = nlohmann::json::array();
        for (const auto& breadcrumb : breadcrumbs) {
            values.push_back(breadcrumb.toJson());
        }
        object["breadcrumbs"] = {{"values", values}};
    }
    if (!exception.is_null()) {
        object["exception"] = exception;
    }
    return object;
}

std::optional<Event> Event::fromJson(const nlohmann::json& payload) {
    const auto id = SentryId::fromString(JsonFields::text(payload, "event_id").value_or(""));
    if (!id) {
        return std::nullopt;
    }
    Event event;
    event.eventId = *id;
    event.timestamp = JsonFields::number(payload, "timestamp").value_or(0);
    event.level = JsonFields::text(payload, "level").value_or(event.level);
    if (payload.contains("message")) {
        event.message = JsonFields::text(payload["message"], "formatted");
    }
    event.release = JsonFields::text(payload, "release").value_or("");
    event.environment = JsonFields::text(payload, "environment").value_or("");
    if (payload.contains("tags") && payload["tags"].is_object()) {
        for (const auto& [key, value] : payload["tags"].items()) {
            if (value.is_string()) {
                event.tags[key] = value.get<std::string>();
            }
        }
    }
    if (payload.contains("extra") && payload["extra"].is_object()) {
        for (const auto& [key, value] : payload["extra"].items()) {
            event.extras[key] = value;
        }
    }
    if (payload.contains("user") && payload["user"].is_object()) {
        event.user = SentryUser::fromJson(payload["user"]);
    }
    if (payload.contains("breadcrumbs")) {
        const auto& values = payload["breadcrumbs"];
        if (values.is_object() && values.contains("values") && values["values"].is_array()) {
            for (const auto& breadcrumb : values["values"]) {
                event.breadcrumbs.push_back(Breadcrumb::fromJson(breadcrumb));
            }
        }
    }
    if (payload.contains("exception") && payload["exception"].is_object()) {
        event.exception = payload["exception"];
    }
    return event;
}

} // namespace sentry
