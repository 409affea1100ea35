#include "sentry/Breadcrumb.h"

#include "sentry/JsonFields.h"

namespace sentry {

nlohmann::json Breadcrumb::toJson() const {
    nlohmann::json object{{"type", type}, {"level", level}, {"timestamp", timestamp}};
    if (!category.empty()) {
        object["category"] = category;
    }
    if (!message.empty()) {
        object["message"] = message;
    }
    if (data.is_object() && !data.empty()) {
        object["data"] = data;
    }
    return object;
}

Breadcrumb Breadcrumb::fromJson(const nlohmann::json& object) {
    Breadcrumb breadcrumb;
    breadcrumb.category = JsonFields::text(object, "category").value_or("");
    breadcrumb.message = JsonFields::text(object, "message").value_or("");
    breadcrumb.type = JsonFields::text(object, "type").value_or(breadcrumb.type);
    breadcrumb.level = JsonFields::text(object, "level").value_or(breadcrumb.level);
    breadcrumb.timestamp = JsonFields::number(object, "timestamp").value_or(0);
    if (object.is_object() && object.contains("data") && object["data"].is_object()) {
        breadcrumb.data = object["data"];
    }
    return breadcrumb;
}

} // namespace sentry
