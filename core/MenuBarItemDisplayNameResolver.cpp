#include "core/MenuBarItemDisplayNameResolver.h"

#include "core/TextFolding.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <array>
#include <span>

namespace QelCore::MenuBarItemDisplayNameResolver {

namespace {

using TextFolding::cleaned;
using TextFolding::lowercased;

constexpr std::string_view chineseControlCenter = "控制中心";
constexpr std::string_view englishControlCenter = "Control Center";
constexpr std::string_view untitled = "(untitled)";
constexpr std::string_view systemIdentifierMarker = "com.apple.menuextra.";
constexpr std::string_view appleIdentifierPrefix = "com.apple.";

constexpr std::array<std::string_view, 3> controlCenterOwnerNames{
    "ControlCenter",
    "Control Center",
    "控制中心",
};

constexpr std::array<std::string_view, 4> genericControlCenterTitles{
    "Control Center",
    "控制中心",
    "",
    "(untitled)",
};

constexpr std::array<std::string_view, 4> genericDescriptions{
    "Status Menu",
    "状态菜单",
    "Control Center",
    "控制中心",
};

// Lower case already, so they are their own folded forms.
constexpr std::array<std::string_view, 5> collapsibleStatusPhrases{
    "up to date", "unread notification", "syncing", "正在同步", "已是最新",
};

constexpr std::array<std::string_view, 5> shortDescriptionSeparators{
    "，", ",", " - ", " – ", " — ",
};

struct SystemIdentifierName {
    std::string_view fragment;
    std::string_view englishName;
    std::string_view chineseName;
};

// Tested in this order; the first fragment found in the identifier names it.
constexpr std::array<SystemIdentifierName, 11> systemIdentifierNames{{
    {"menuextra.battery", "Battery", "电池"},
    {"menuextra.clock", "Clock", "时钟"},
    {"menuextra.airport", "Wi-Fi", "Wi-Fi"},
    {"menuextra.wifi", "Wi-Fi", "Wi-Fi"},
    {"menuextra.bluetooth", "Bluetooth", "蓝牙"},
    {"menuextra.volume", "Sound", "声音"},
    {"menuextra.nowplaying", "Now Playing", "播放中"},
    {"menuextra.vpn", "VPN", "VPN"},
    {"menuextra.displays", "Displays", "显示器"},
    {"menuextra.focus", "Focus", "专注模式"},
    {"menuextra.controlcenter", "Control Center", "控制中心"},
}};

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

template <std::size_t N>
bool isOneOf(std::string_view text, const std::array<std::string_view, N>& list) {
    return std::find(list.begin(), list.end(), text) != list.end();
}

bool isControlCenterOwner(std::string_view appName) {
    return isOneOf(appName, controlCenterOwnerNames);
}

std::string controlCenterName(std::string_view appName) {
    return std::string(appName == chineseControlCenter ? chineseControlCenter
                                                       : englishControlCenter);
}

// The non-empty lines of a text, trimmed, in order.
std::vector<std::string> lineFragments(std::string_view text) {
    std::vector<std::string> fragments;
    for (const std::string& line : TextFolding::lines(text)) {
        std::string fragment = cleaned(line);
        if (!fragment.empty()) {
            fragments.push_back(std::move(fragment));
        }
    }
    return fragments;
}

bool isGenericControlCenterTitle(std::string_view title, std::string_view appName) {
    return isControlCenterOwner(appName) && isOneOf(title, genericControlCenterTitles);
}

// An application's name line followed by a status line ("App 42%", "Up to date") names the
// application, however the status reads at the moment.
bool shouldCollapseMultilineStatusTitle(std::string_view primaryTitle,
                                        std::span<const std::string> remainingLines,
                                        std::string_view appName) {
    if (appName.empty() || remainingLines.empty()) {
        return false;
    }
    if (primaryTitle.size() <= appName.size() || !primaryTitle.starts_with(appName) ||
        primaryTitle[appName.size()] != ' ') {
        return false;
    }
    std::string joined;
    for (const std::string& line : remainingLines) {
        if (!joined.empty()) {
            joined += ' ';
        }
        joined += line;
    }
    const std::string folded = lowercased(TextFolding::folded(joined));
    return std::any_of(collapsibleStatusPhrases.begin(), collapsibleStatusPhrases.end(),
                       [&](std::string_view phrase) { return contains(folded, phrase); });
}

std::optional<std::string> stableMultilineDescription(std::string_view text,
                                                      std::string_view appName) {
    const std::vector<std::string> fragments = lineFragments(text);
    if (fragments.size() < 2) {
        return std::nullopt;
    }
    const std::span<const std::string> rest(fragments.begin() + 1, fragments.end());
    if (shouldCollapseMultilineStatusTitle(fragments.front(), rest, appName)) {
        return std::string(appName);
    }
    return fragments.front();
}

// Called for a text of fewer than two lines, which no multi-line rule applies to.
std::string shortDescription(std::string_view text) {
    for (std::string_view separator : shortDescriptionSeparators) {
        const std::size_t position = text.find(separator);
        if (position == std::string_view::npos) {
            continue;
        }
        std::string head = TextFolding::trimmed(text.substr(0, position));
        if (!head.empty()) {
            return head;
        }
    }
    return std::string(text);
}

std::optional<std::string> displayNameForSystemIdentifier(std::string_view text,
                                                          std::string_view appName) {
    const std::string identifier = lowercased(text);
    if (!contains(identifier, systemIdentifierMarker)) {
        return std::nullopt;
    }
    for (const auto& row : systemIdentifierNames) {
        if (contains(identifier, row.fragment)) {
            return std::string(appName == chineseControlCenter ? row.chineseName : row.englishName);
        }
    }
    return std::nullopt;
}

std::optional<std::string> bestDescription(const std::vector<std::string>& descriptions,
                                           std::string_view appName, bool allowsGenericFallback) {
    const bool controlCenterOwner = isControlCenterOwner(appName);
    std::optional<std::string> fallback;
    for (const std::string& description : descriptions) {
        auto multiline = stableMultilineDescription(description, appName);
        std::string candidate = multiline ? std::move(*multiline) : shortDescription(description);
        if (candidate.empty()) {
            continue;
        }
        if (auto systemName = displayNameForSystemIdentifier(candidate, appName)) {
            if (!controlCenterOwner || !isOneOf(*systemName, genericDescriptions)) {
                return systemName;
            }
            if (!fallback) {
                fallback = std::move(systemName);
            }
            continue;
        }
        if (lowercased(candidate).starts_with(appleIdentifierPrefix)) {
            continue;
        }
        if (!controlCenterOwner || !isOneOf(candidate, genericDescriptions)) {
            return candidate;
        }
        if (!fallback) {
            fallback = controlCenterName(appName);
        }
    }
    return allowsGenericFallback ? fallback : std::nullopt;
}

bool isDecimalDigit(char32_t scalar) {
    return u_charType(static_cast<UChar32>(scalar)) == U_DECIMAL_DIGIT_NUMBER;
}

// Counts such as "3", "12" and "99+".
bool isMutableBadgeTitle(std::string_view text) {
    const std::u32string scalars = TextFolding::scalars(text);
    return std::any_of(scalars.begin(), scalars.end(), isDecimalDigit) &&
           std::all_of(scalars.begin(), scalars.end(),
                       [](char32_t scalar) { return isDecimalDigit(scalar) || scalar == U'+'; });
}

// Short marks such as "+1" or "1/2": digits with punctuation or symbols, no letters.
bool isShortSymbolicBadgeTitle(std::string_view text) {
    const std::u32string scalars = TextFolding::scalars(text);
    if (scalars.empty() || scalars.size() > 4) {
        return false;
    }
    const auto isLetter = [](char32_t scalar) {
        return (U_GET_GC_MASK(static_cast<UChar32>(scalar)) & (U_GC_L_MASK | U_GC_M_MASK)) != 0;
    };
    const auto isBadgeScalar = [](char32_t scalar) {
        return (U_GET_GC_MASK(static_cast<UChar32>(scalar)) &
                (U_GC_ND_MASK | U_GC_P_MASK | U_GC_S_MASK)) != 0;
    };
    return std::any_of(scalars.begin(), scalars.end(), isDecimalDigit) &&
           std::none_of(scalars.begin(), scalars.end(), isLetter) &&
           std::all_of(scalars.begin(), scalars.end(), isBadgeScalar);
}

} // namespace

std::string resolve(std::string_view rawTitle, const std::vector<std::string>& rawDescriptions,
                    std::string_view rawAppName, std::optional<std::int64_t> genericOrdinal) {
    const std::string title = cleaned(TextFolding::capped(rawTitle));
    const std::vector<std::string> fragments = lineFragments(title);
    const std::string& primaryTitle = fragments.empty() ? title : fragments.front();

    std::vector<std::string> descriptions;
    for (const std::string& rawDescription : rawDescriptions) {
        std::string description = cleaned(TextFolding::capped(rawDescription));
        if (!description.empty()) {
            descriptions.push_back(std::move(description));
        }
    }
    const std::string appName = cleaned(TextFolding::capped(rawAppName));

    if (isGenericControlCenterTitle(primaryTitle, appName)) {
        if (auto described = bestDescription(descriptions, appName, false)) {
            return *described;
        }
        if (genericOrdinal) {
            return controlCenterName(appName);
        }
    }

    if (!primaryTitle.empty() && primaryTitle != untitled) {
        if ((isMutableBadgeTitle(primaryTitle) || isShortSymbolicBadgeTitle(primaryTitle)) &&
            !appName.empty()) {
            return appName;
        }
        const std::span<const std::string> remainingLines =
            fragments.empty() ? std::span<const std::string>()
                              : std::span<const std::string>(fragments).subspan(1);
        if (shouldCollapseMultilineStatusTitle(primaryTitle, remainingLines, appName)) {
            return appName;
        }
        return primaryTitle;
    }

    if (auto described = bestDescription(descriptions, appName, true)) {
        return *described;
    }
    return appName.empty() ? std::string(untitled) : appName;
}

std::string resolve(std::string_view title, const std::optional<std::string>& description,
                    std::string_view appName, std::optional<std::int64_t> genericOrdinal) {
    return resolve(title, std::vector<std::string>{description.value_or(std::string())}, appName,
                   genericOrdinal);
}

} // namespace QelCore::MenuBarItemDisplayNameResolver
