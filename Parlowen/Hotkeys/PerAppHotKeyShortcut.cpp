#include "Parlowen/Hotkeys/PerAppHotKeyShortcut.h"

#include <cmath>
#include <limits>

namespace Parlowen {

namespace {

std::optional<std::uint32_t> unsigned32(const nlohmann::json& object, const char* name) {
    const auto member = object.find(name);
    if (member == object.end() || !member->is_number()) {
        return std::nullopt;
    }
    constexpr auto limit = std::numeric_limits<std::uint32_t>::max();
    if (member->is_number_unsigned()) {
        const auto value = member->get<std::uint64_t>();
        return value <= limit ? std::optional<std::uint32_t>(value) : std::nullopt;
    }
    if (member->is_number_integer()) {
        const auto value = member->get<std::int64_t>();
        return value >= 0 && value <= std::int64_t{limit} ? std::optional<std::uint32_t>(value)
                                                          : std::nullopt;
    }
    // A whole number written with a fraction ("5.0") still names the same code.
    const double value = member->get<double>();
    if (!std::isfinite(value) || std::trunc(value) != value || value < 0 || value > double{limit}) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

} // namespace

nlohmann::ordered_json PerAppHotKeyShortcut::toJson() const {
    nlohmann::ordered_json json;
    json["keyCode"] = keyCode;
    json["modifierFlags"] = modifierFlags;
    return json;
}

std::optional<PerAppHotKeyShortcut> PerAppHotKeyShortcut::fromJson(const nlohmann::json& json) {
    if (!json.is_object()) {
        return std::nullopt;
    }
    const auto keyCode = unsigned32(json, "keyCode");
    const auto modifierFlags = unsigned32(json, "modifierFlags");
    if (!keyCode || !modifierFlags) {
        return std::nullopt;
    }
    return PerAppHotKeyShortcut{*keyCode, *modifierFlags};
}

} // namespace Parlowen
