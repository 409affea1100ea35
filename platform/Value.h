#pragma once

#include "platform/AXUIElement.h"
#include "platform/Geometry.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace platform {

// A loosely typed, immutable value as macOS hands back from Accessibility attribute reads and
// the window list: absent, Boolean, integer or floating-point number, string, point or size
// (an AXValue), Accessibility element, list or string-keyed dictionary. Copies share their lists
// and dictionaries, so values are cheap to pass around and safe to read from any thread.
class Value {
public:
    using List = std::vector<Value>;
    using Dictionary = std::map<std::string, Value, std::less<>>;

    enum class Kind {
        absent,
        boolean,
        integer,
        real,
        string,
        point,
        size,
        element,
        list,
        dictionary
    };

    Value() = default;
    Value(bool value) : storage_(value) {}
    Value(int value) : storage_(std::int64_t{value}) {}
    Value(std::int64_t value) : storage_(value) {}
    Value(double value) : storage_(value) {}
    Value(const char* value) : storage_(std::string(value)) {}
    Value(std::string value) : storage_(std::move(value)) {}
    Value(CGPoint value) : storage_(value) {}
    Value(CGSize value) : storage_(value) {}
    Value(AXUIElement value) : storage_(std::move(value)) {}
    Value(List value) : storage_(std::make_shared<const List>(std::move(value))) {}
    Value(Dictionary value) : storage_(std::make_shared<const Dictionary>(std::move(value))) {}

    Kind kind() const { return static_cast<Kind>(storage_.index()); }
    bool isAbsent() const { return kind() == Kind::absent; }

    // The Boolean, when this is one.
    std::optional<bool> boolean() const;
    // The integer, when this is an integer (not a floating-point number).
    std::optional<std::int64_t> integer() const;
    // The number as a double, when this is an integer or a floating-point number.
    std::optional<double> number() const;
    // The string, when this is one; null otherwise.
    const std::string* string() const;
    // The point, when this is a point value.
    std::optional<CGPoint> point() const;
    // The size, when this is a size value.
    std::optional<CGSize> size() const;
    // The element, when this is one.
    std::optional<AXUIElement> element() const;
    // The list, when this is one; null otherwise.
    const List* list() const;
    // The dictionary, when this is one; null otherwise.
    const Dictionary* dictionary() const;

    // The entry under `key` when this is a dictionary holding it; null otherwise.
    const Value* find(std::string_view key) const;
    // The elements, when this is a list of elements only.
    std::optional<std::vector<AXUIElement>> elements() const;
    // The strings, when this is a list of strings only.
    std::optional<std::vector<std::string>> strings() const;

    friend bool operator==(const Value& a, const Value& b);

private:
    std::variant<std::monostate, bool, std::int64_t, double, std::string, CGPoint, CGSize,
                 AXUIElement, std::shared_ptr<const List>, std::shared_ptr<const Dictionary>>
        storage_;
};

} // namespace platform
