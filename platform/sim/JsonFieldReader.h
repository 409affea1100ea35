#pragma once

#include "platform/sim/DesktopDescription.h"

#include <nlohmann/json.hpp>

#include <functional>
#include <string>
#include <vector>

namespace platform::sim {

// Reads the fields of one JSON object (or the entries of one array) of a desktop description,
// checking each value's type and range and naming the field's full path when it refuses one.
class JsonFieldReader {
public:
    // Thrown inside the description reader only; the parser turns it into a DescriptionError.
    struct Refusal {
        DescriptionError error;
    };

    JsonFieldReader(const nlohmann::json& node, std::string path);

    bool has(const std::string& name) const;
    bool isString(const std::string& name) const;
    std::string string(const std::string& name) const;
    std::string stringOr(const std::string& name, const std::string& fallback) const;
    std::optional<std::string> optionalString(const std::string& name) const;
    bool booleanOr(const std::string& name, bool fallback) const;
    // A finite number.
    double number(const std::string& name) const;
    double positive(const std::string& name) const;
    double nonNegative(const std::string& name) const;
    // A whole number within [min, max].
    std::int64_t integer(const std::string& name, std::int64_t min, std::int64_t max) const;
    pid_t pid(const std::string& name) const;
    std::vector<std::string> strings(const std::string& name) const;
    JsonFieldReader object(const std::string& name) const;
    JsonFieldReader array(const std::string& name) const;

    // Reads every object of an array field with `read`; a missing field is an empty list when
    // not `required`.
    template <typename T>
    std::vector<T> objects(const std::string& name,
                           const std::function<T(const JsonFieldReader&)>& read,
                           bool required = true) const {
        std::vector<T> result;
        if (!required && !has(name)) {
            return result;
        }
        const JsonFieldReader list = array(name);
        for (std::size_t i = 0; i < list.node_.size(); ++i) {
            result.push_back(read(list.object(i)));
        }
        return result;
    }

    // Calls `visit` with each key (an index for arrays) and value.
    void forEach(const std::function<void(const std::string&, const nlohmann::json&)>& visit) const;

    [[noreturn]] void refuse(const std::string& name, const std::string& message) const;
    [[noreturn]] void refuseAt(const std::string& field, const std::string& message) const;

private:
    JsonFieldReader object(std::size_t index) const;
    std::string pathOf(const std::string& name) const;
    const nlohmann::json& required(const std::string& name) const;

    const nlohmann::json& node_;
    std::string path_;
};

} // namespace platform::sim
