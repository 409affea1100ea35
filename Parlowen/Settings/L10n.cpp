#include "Parlowen/Settings/L10n.h"

#include "Parlowen/Settings/AppResourceBundles.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <mutex>

namespace Parlowen::L10n {

namespace {

std::mutex overrideMutex;
std::optional<std::string> forcedLocale;

std::optional<std::string> localizedString(std::string_view key,
                                           std::string_view localeIdentifier) {
    const auto folders = languageFolders(localeIdentifier);
    for (const auto& bundle : AppResourceBundles::candidates()) {
        for (const auto& folder : folders) {
            if (auto text = bundle.localizedString(key, folder)) {
                return text;
            }
        }
    }
    return std::nullopt;
}

enum class Conversion { object, integer, roundedDecimal };

struct Placeholder {
    Conversion conversion;
    // Zero-based argument index of a positional placeholder ("%2$d" names index 1).
    std::optional<std::size_t> position;
    std::size_t length;
};

// The placeholder starting at `index` ("%@", "%d", "%.0f", each also as "%n$…"), if any.
std::optional<Placeholder> placeholderAt(std::string_view text, std::size_t index) {
    std::string_view rest = text.substr(index);
    if (!rest.starts_with('%')) {
        return std::nullopt;
    }
    std::size_t length = 1;
    std::optional<std::size_t> position;
    if (rest.size() >= 3 && rest[1] >= '1' && rest[1] <= '9' && rest[2] == '$') {
        position = static_cast<std::size_t>(rest[1] - '1');
        length = 3;
    }
    const std::string_view tail = rest.substr(length);
    static constexpr std::pair<std::string_view, Conversion> conversions[] = {
        {"@", Conversion::object},
        {"d", Conversion::integer},
        {".0f", Conversion::roundedDecimal},
    };
    for (const auto& [letters, conversion] : conversions) {
        if (tail.starts_with(letters)) {
            return Placeholder{conversion, position, length + letters.size()};
        }
    }
    return std::nullopt;
}

std::string printed(const char* pattern, auto number) {
    char buffer[64];
    const int written = std::snprintf(buffer, sizeof buffer, pattern, number);
    return written > 0 ? std::string(buffer, std::min<std::size_t>(written, sizeof buffer - 1))
                       : std::string();
}

// The argument as the conversion prints it, or none when it does not fit the conversion.
std::optional<std::string> rendered(Conversion conversion, const Argument& argument) {
    const auto& value = argument.value();
    if (const auto* text = std::get_if<std::string>(&value)) {
        return conversion == Conversion::object ? std::optional(*text) : std::nullopt;
    }
    if (const auto* integer = std::get_if<std::int64_t>(&value)) {
        return std::to_string(*integer);
    }
    const double number = std::get<double>(value);
    switch (conversion) {
    case Conversion::object:
        return printed("%g", number);
    case Conversion::roundedDecimal:
        return printed("%.0f", number);
    case Conversion::integer:
        // Only numbers that a 64-bit integer holds; the bounds are exact powers of two.
        if (!std::isfinite(number) || number < -0x1p63 || number >= 0x1p63) {
            return std::nullopt;
        }
        return std::to_string(static_cast<std::int64_t>(number));
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> localeOverride() {
    const std::lock_guard lock(overrideMutex);
    return forcedLocale;
}

void setLocaleOverride(std::optional<std::string> identifier) {
    const std::lock_guard lock(overrideMutex);
    forcedLocale = std::move(identifier);
}

std::string string(std::string_view key, std::string_view defaultText) {
    if (const auto forced = localeOverride()) {
        if (auto text = localizedString(key, *forced)) {
            return *text;
        }
    }
    for (const auto& bundle : AppResourceBundles::candidates()) {
        if (auto text = bundle.localizedString(key)) {
            return *text;
        }
    }
    return std::string(defaultText);
}

std::vector<std::string> languageFolders(std::string_view identifier) {
    std::string lower(identifier);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower.starts_with("zh")) {
        return {"zh-Hans", "zh-hans", "zh"};
    }
    if (lower.starts_with("en")) {
        return {"en"};
    }
    return {std::string(identifier)};
}

std::string format(std::string_view text, const std::vector<Argument>& arguments) {
    std::string result;
    std::size_t nextArgument = 0;
    std::size_t index = 0;
    while (index < text.size()) {
        if (text.substr(index).starts_with("%%")) {
            result.push_back('%');
            index += 2;
            continue;
        }
        const auto placeholder = placeholderAt(text, index);
        if (!placeholder) {
            result.push_back(text[index]);
            ++index;
            continue;
        }
        const std::size_t argumentIndex = placeholder->position.value_or(nextArgument);
        if (!placeholder->position) {
            ++nextArgument;
        }
        std::optional<std::string> filled;
        if (argumentIndex < arguments.size()) {
            filled = rendered(placeholder->conversion, arguments[argumentIndex]);
        }
        result += filled ? *filled : std::string(text.substr(index, placeholder->length));
        index += placeholder->length;
    }
    return result;
}

} // namespace Parlowen::L10n
