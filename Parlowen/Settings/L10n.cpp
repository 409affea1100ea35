#include "Parlowen/Settings/L10n.h"

#include "Parlowen/Settings/AppResourceBundles.h"

#include <algorithm>
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

std::string format(std::string_view text, const std::vector<std::string>& arguments) {
    std::string result;
    std::size_t nextArgument = 0;
    std::size_t index = 0;
    while (index < text.size()) {
        const auto rest = text.substr(index);
        if (rest.starts_with("%%")) {
            result.push_back('%');
            index += 2;
        } else if (rest.starts_with("%@") && nextArgument < arguments.size()) {
            result += arguments[nextArgument++];
            index += 2;
        } else if (rest.size() >= 4 && rest[0] == '%' && rest[1] >= '1' && rest[1] <= '9' &&
                   rest.substr(2, 2) == "$@" &&
                   static_cast<std::size_t>(rest[1] - '1') < arguments.size()) {
            result += arguments[static_cast<std::size_t>(rest[1] - '1')];
            index += 4;
        } else {
            result.push_back(text[index]);
            ++index;
        }
    }
    return result;
}

} // namespace Parlowen::L10n
