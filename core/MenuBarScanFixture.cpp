#include "core/MenuBarScanFixture.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <system_error>

namespace QelCore {

namespace {

using nlohmann::json;
using Kind = MenuBarScanFixtureError::Kind;

constexpr std::string_view defaultRole = "AXMenuBarItem";

// Unwinds a decoding to its entry point, which turns it into the returned error.
struct DecodingFailure {
    MenuBarScanFixtureError error;
};

[[noreturn]] void fail(Kind kind, std::string codingPath, std::string message) {
    throw DecodingFailure{{kind, std::move(codingPath), std::move(message)}};
}

std::string memberPath(const std::string& path, const std::string& key) {
    return path.empty() ? key : path + "." + key;
}

std::string elementPath(const std::string& path, std::size_t index) {
    return path + "[" + std::to_string(index) + "]";
}

[[noreturn]] void failTypeMismatch(const std::string& path, std::string_view expected,
                                   const json& found) {
    fail(Kind::typeMismatch, path,
         "Expected to decode " + std::string(expected) + " but found " +
             std::string(found.type_name()) + " instead.");
}

const json& object(const json& value, const std::string& path) {
    if (!value.is_object()) {
        failTypeMismatch(path, "an object", value);
    }
    return value;
}

const json& required(const json& owner, const std::string& path, const std::string& key) {
    const auto found = owner.find(key);
    if (found == owner.end()) {
        fail(Kind::keyNotFound, memberPath(path, key),
             "No value associated with key \"" + key + "\".");
    }
    if (found->is_null()) {
        fail(Kind::valueNotFound, memberPath(path, key),
             "Expected a value for key \"" + key + "\" but found null instead.");
    }
    return *found;
}

// The value under `key`, or none when the key is absent or holds null.
const json* optional(const json& owner, const std::string& key) {
    const auto found = owner.find(key);
    return found == owner.end() || found->is_null() ? nullptr : &*found;
}

double number(const json& value, const std::string& path) {
    if (!value.is_number()) {
        failTypeMismatch(path, "a number", value);
    }
    const double result = value.get<double>();
    if (!std::isfinite(result)) {
        fail(Kind::dataCorrupted, path,
             "Number " + value.dump() + " is not representable as a finite number.");
    }
    return result;
}

std::string string(const json& value, const std::string& path) {
    if (!value.is_string()) {
        failTypeMismatch(path, "a string", value);
    }
    return value.get<std::string>();
}

// A process id: a JSON number that is a whole number within the range of a 32-bit pid.
// Fractions and out-of-range values are refused rather than truncated.
std::int32_t processIdentifier(const json& value, const std::string& path) {
    if (!value.is_number()) {
        failTypeMismatch(path, "an integer", value);
    }
    constexpr auto lowest = std::numeric_limits<std::int32_t>::min();
    constexpr auto highest = std::numeric_limits<std::int32_t>::max();
    if (value.is_number_unsigned()) {
        const auto whole = value.get<std::uint64_t>();
        if (whole <= static_cast<std::uint64_t>(highest)) {
            return static_cast<std::int32_t>(whole);
        }
    } else if (value.is_number_integer()) {
        const auto whole = value.get<std::int64_t>();
        if (whole >= lowest && whole <= highest) {
            return static_cast<std::int32_t>(whole);
        }
    } else {
        const auto real = value.get<double>();
        if (std::isfinite(real) && std::trunc(real) == real && real >= lowest && real <= highest) {
            return static_cast<std::int32_t>(real);
        }
    }
    fail(Kind::dataCorrupted, path,
         "Parsed JSON number <" + value.dump() + "> does not fit in a process identifier.");
}

template <RawValueEnum E>
E rawValue(const json& value, const std::string& path, std::string_view typeName) {
    const std::string text = string(value, path);
    if (const auto decoded = fromString<E>(text)) {
        return *decoded;
    }
    fail(Kind::dataCorrupted, path,
         "Cannot initialize " + std::string(typeName) + " from invalid String value " + text);
}

CGRect rect(const json& value, const std::string& path) {
    object(value, path);
    return {number(required(value, path, "x"), memberPath(path, "x")),
            number(required(value, path, "y"), memberPath(path, "y")),
            number(required(value, path, "width"), memberPath(path, "width")),
            number(required(value, path, "height"), memberPath(path, "height"))};
}

CGRect rectMember(const json& owner, const std::string& path, const std::string& key) {
    return rect(required(owner, path, key), memberPath(path, key));
}

EdgeInsetsSnapshot insets(const json& value, const std::string& path) {
    object(value, path);
    return {number(required(value, path, "top"), memberPath(path, "top")),
            number(required(value, path, "left"), memberPath(path, "left")),
            number(required(value, path, "bottom"), memberPath(path, "bottom")),
            number(required(value, path, "right"), memberPath(path, "right"))};
}

ScreenSnapshot screen(const json& value, const std::string& path) {
    object(value, path);
    return {string(required(value, path, "id"), memberPath(path, "id")),
            rectMember(value, path, "frame"),
            rectMember(value, path, "visibleFrame"),
            insets(required(value, path, "safeAreaInsets"), memberPath(path, "safeAreaInsets")),
            rectMember(value, path, "auxiliaryTopLeftArea"),
            rectMember(value, path, "auxiliaryTopRightArea")};
}

std::vector<std::string> strings(const json& value, const std::string& path) {
    if (!value.is_array()) {
        failTypeMismatch(path, "an array", value);
    }
    std::vector<std::string> result;
    for (std::size_t index = 0; index < value.size(); ++index) {
        const std::string at = elementPath(path, index);
        if (value[index].is_null()) {
            fail(Kind::valueNotFound, at, "Expected a string but found null instead.");
        }
        result.push_back(string(value[index], at));
    }
    return result;
}

FixtureMenuBarItem item(const json& value, const std::string& path) {
    object(value, path);
    FixtureMenuBarItem result;
    const auto optionalString = [&](const std::string& key) -> std::optional<std::string> {
        const json* found = optional(value, key);
        return found ? std::optional(string(*found, memberPath(path, key))) : std::nullopt;
    };
    result.appName = optionalString("appName").value_or(std::string());
    const json* pid = optional(value, "pid");
    result.pid = pid ? processIdentifier(*pid, memberPath(path, "pid")) : 0;
    result.role = optionalString("role").value_or(std::string(defaultRole));
    result.subrole = optionalString("subrole");
    const json* actions = optional(value, "actions");
    result.actions =
        actions ? strings(*actions, memberPath(path, "actions")) : std::vector<std::string>();
    const json* sourceHint = optional(value, "sourceHint");
    result.sourceHint =
        sourceHint
            ? rawValue<FixtureMenuBarItemSourceHint>(*sourceHint, memberPath(path, "sourceHint"),
                                                     "FixtureMenuBarItemSourceHint")
            : FixtureMenuBarItemSourceHint::unknown;
    result.title = string(required(value, path, "title"), memberPath(path, "title"));
    result.snapshot = {result.title, rectMember(value, path, "frame")};
    result.expectedVisibility = rawValue<VisibilityClassification>(
        required(value, path, "expectedVisibility"), memberPath(path, "expectedVisibility"),
        "VisibilityClassification");
    return result;
}

MenuBarScanFixture fixture(const json& document) {
    object(document, {});
    MenuBarScanFixture result;
    result.screen = screen(required(document, {}, "screen"), "screen");
    const json& items = required(document, {}, "items");
    if (!items.is_array()) {
        failTypeMismatch("items", "an array", items);
    }
    for (std::size_t index = 0; index < items.size(); ++index) {
        result.items.push_back(item(items[index], elementPath("items", index)));
    }
    return result;
}

MenuBarScanFixtureError fileError(const std::filesystem::path& path, int error) {
    return {Kind::fileReading,
            {},
            "The file \"" + path.string() +
                "\" could not be read: " + std::generic_category().message(error)};
}

} // namespace

MenuBarScanFixture::LoadResult MenuBarScanFixture::decode(std::string_view text) {
    const json document = json::parse(text.begin(), text.end(), nullptr, false);
    if (document.is_discarded()) {
        return MenuBarScanFixtureError{
            Kind::dataCorrupted, {}, "The given data was not valid JSON."};
    }
    try {
        return fixture(document);
    } catch (const DecodingFailure& failure) {
        return failure.error;
    }
}

MenuBarScanFixture::LoadResult MenuBarScanFixture::load(const std::filesystem::path& path) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rbe"),
                                                               &std::fclose);
    if (!file) {
        return fileError(path, errno);
    }
    std::string bytes;
    char buffer[65536];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        bytes.append(buffer, count);
    }
    if (std::ferror(file.get())) {
        return fileError(path, errno);
    }
    return decode(bytes);
}

} // namespace QelCore
