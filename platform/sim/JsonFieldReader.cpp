#include "platform/sim/JsonFieldReader.h"

#include <cmath>
#include <limits>

namespace platform::sim {

JsonFieldReader::JsonFieldReader(const nlohmann::json& node, std::string path)
    : node_(node), path_(std::move(path)) {}

std::string JsonFieldReader::pathOf(const std::string& name) const {
    return path_.empty() ? name : path_ + "." + name;
}

void JsonFieldReader::refuse(const std::string& name, const std::string& message) const {
    refuseAt(pathOf(name), message);
}

void JsonFieldReader::refuseAt(const std::string& field, const std::string& message) const {
    throw Refusal{{field, message}};
}

bool JsonFieldReader::has(const std::string& name) const {
    return node_.is_object() && node_.contains(name);
}

const nlohmann::json& JsonFieldReader::required(const std::string& name) const {
    if (!has(name)) {
        refuse(name, "is missing");
    }
    return node_.at(name);
}

bool JsonFieldReader::isString(const std::string& name) const {
    return has(name) && node_.at(name).is_string();
}

std::string JsonFieldReader::string(const std::string& name) const {
    const nlohmann::json& value = required(name);
    if (!value.is_string()) {
        refuse(name, "must be a string");
    }
    return value.get<std::string>();
}

std::string JsonFieldReader::stringOr(const std::string& name, const std::string& fallback) const {
    return has(name) ? string(name) : fallback;
}

std::optional<std::string> JsonFieldReader::optionalString(const std::string& name) const {
    if (!has(name)) {
        return std::nullopt;
    }
    return string(name);
}

bool JsonFieldReader::booleanOr(const std::string& name, bool fallback) const {
    if (!has(name)) {
        return fallback;
    }
    const nlohmann::json& value = node_.at(name);
    if (!value.is_boolean()) {
        refuse(name, "must be true or false");
    }
    return value.get<bool>();
}

double JsonFieldReader::number(const std::string& name) const {
    const nlohmann::json& value = required(name);
    if (!value.is_number()) {
        refuse(name, "must be a number");
    }
    const double number = value.get<double>();
    if (!std::isfinite(number)) {
        refuse(name, "must be a finite number");
    }
    return number;
}

double JsonFieldReader::positive(const std::string& name) const {
    const double value = number(name);
    if (value <= 0) {
        refuse(name, "must be greater than 0");
    }
    return value;
}

double JsonFieldReader::nonNegative(const std::string& name) const {
    const double value = number(name);
    if (value < 0) {
        refuse(name, "must not be negative");
    }
    return value;
}

std::int64_t JsonFieldReader::integer(const std::string& name, std::int64_t min,
                                      std::int64_t max) const {
    const nlohmann::json& value = required(name);
    if (!value.is_number_integer()) {
        refuse(name, "must be a whole number");
    }
    if (value.is_number_unsigned() &&
        value.get<std::uint64_t>() > static_cast<std::uint64_t>(max)) {
        refuse(name, "must be at most " + std::to_string(max));
    }
    const std::int64_t number = value.get<std::int64_t>();
    if (number < min || number > max) {
        refuse(name, "must lie between " + std::to_string(min) + " and " + std::to_string(max));
    }
    return number;
}

pid_t JsonFieldReader::pid(const std::string& name) const {
    return static_cast<pid_t>(integer(name, 1, std::numeric_limits<pid_t>::max()));
}

std::vector<std::string> JsonFieldReader::strings(const std::string& name) const {
    const nlohmann::json& value = required(name);
    if (!value.is_array()) {
        refuse(name, "must be a list of strings");
    }
    std::vector<std::string> result;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (!value[i].is_string()) {
            refuse(name + "[" + std::to_string(i) + "]", "must be a string");
        }
        result.push_back(value[i].get<std::string>());
    }
    return result;
}

JsonFieldReader JsonFieldReader::object(const std::string& name) const {
    const nlohmann::json& value = required(name);
    if (!value.is_object()) {
        refuse(name, "must be an object");
    }
    return {value, pathOf(name)};
}

JsonFieldReader JsonFieldReader::array(const std::string& name) const {
    const nlohmann::json& value = required(name);
    if (!value.is_array()) {
        refuse(name, "must be a list");
    }
    return {value, pathOf(name)};
}

JsonFieldReader JsonFieldReader::object(std::size_t index) const {
    const std::string field = path_ + "[" + std::to_string(index) + "]";
    const nlohmann::json& value = node_.at(index);
    if (!value.is_object()) {
        refuseAt(field, "must be an object");
    }
    return {value, field};
}

void JsonFieldReader::forEach(
    const std::function<void(const std::string&, const nlohmann::json&)>& visit) const {
    if (node_.is_array()) {
        for (std::size_t i = 0; i < node_.size(); ++i) {
            visit(std::to_string(i), node_[i]);
        }
        return;
    }
    for (const auto& [key, value] : node_.items()) {
        visit(key, value);
    }
}

} // namespace platform::sim
