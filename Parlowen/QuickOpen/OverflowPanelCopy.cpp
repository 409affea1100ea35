#include "Parlowen/QuickOpen/OverflowPanelCopy.h"

#include "Parlowen/Settings/L10n.h"

#include <chrono>
#include <string_view>
#include <vector>

namespace Parlowen::OverflowPanelCopy {

namespace {

using QelCore::VisibilityClassification;

constexpr std::string_view separator = " \u00B7 ";

std::string counted(std::string_view key, std::string_view english, std::int64_t count) {
    return L10n::format(L10n::string(key, english), {count});
}

// The text after `prefix` of the first note that starts with it.
std::optional<std::string> noteValue(const AXMenuBarItemRecord& item, std::string_view prefix) {
    for (const auto& note : item.notes) {
        if (note.starts_with(prefix)) {
            return note.substr(prefix.size());
        }
    }
    return std::nullopt;
}

std::string classificationText(VisibilityClassification classification) {
    switch (classification) {
    case VisibilityClassification::visible:
        return L10n::string("panel.row.subtitle.visible", "Menu bar app");
    case VisibilityClassification::hiddenBehindNotch:
        return L10n::string("panel.row.subtitle.hidden", "Hidden behind notch");
    case VisibilityClassification::pushedOffscreen:
        return L10n::string("panel.row.subtitle.pushed", "Pushed off screen");
    case VisibilityClassification::unknown:
        return L10n::string("panel.row.subtitle.unknown", "Menu bar item");
    }
    return {};
}

std::string joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const auto& part : parts) {
        if (!text.empty()) {
            text += separator;
        }
        text += part;
    }
    return text;
}

} // namespace

std::string title(std::int64_t hiddenCount) {
    if (hiddenCount == 0) {
        return L10n::string("panel.title.all_clear", "No hidden icons");
    }
    if (hiddenCount == 1) {
        return counted("panel.title.hidden.one", "%d hidden icon", 1);
    }
    return counted("panel.title.hidden.many", "%d hidden icons", hiddenCount);
}

std::string scanAge(Date scannedAt, Date now) {
    const auto seconds = std::chrono::floor<std::chrono::seconds>(now - scannedAt).count();
    if (seconds < 5) {
        return L10n::string("panel.scan.just_now", "updated just now");
    }
    if (seconds < 60) {
        return counted("panel.scan.seconds_ago", "updated %ds ago", seconds);
    }
    return counted("panel.scan.minutes_ago", "updated %dm ago", seconds / 60);
}

std::string rowTitle(const AXMenuBarItemRecord& item) {
    if (item.title.empty() || item.title == "(untitled)") {
        return item.appName;
    }
    return item.title;
}

std::string rowSubtitle(const AXMenuBarItemRecord& item, bool diagnosticLabelsEnabled,
                        bool isFavorite, const std::optional<std::string>& shortcutText) {
    if (auto subtitle = noteValue(item, "subtitle:")) {
        return *subtitle;
    }
    std::vector<std::string> parts{classificationText(item.classification)};
    if (isFavorite) {
        parts.push_back(L10n::string("panel.row.subtitle.favorite", "Favorite"));
    }
    if (shortcutText) {
        parts.push_back(L10n::format(L10n::string("panel.row.subtitle.shortcut", "Shortcut %@"),
                                     {*shortcutText}));
    }
    auto subtitle = joined(parts);
    if (!diagnosticLabelsEnabled) {
        return subtitle;
    }
    std::vector<std::string> diagnostics;
    for (auto candidate : {std::optional(QelCore::toString(item.classification)),
                           noteValue(item, "source="), noteValue(item, "frameSource=")}) {
        if (candidate && !candidate->empty()) {
            diagnostics.push_back(std::move(*candidate));
        }
    }
    if (!diagnostics.empty()) {
        subtitle += separator;
        subtitle += L10n::string("panel.row.diagnostic_prefix", "Debug");
        subtitle += ": ";
        subtitle += joined(diagnostics);
    }
    return subtitle;
}

std::optional<std::string> reason(VisibilityClassification classification) {
    switch (classification) {
    case VisibilityClassification::visible:
        return L10n::string("panel.reason.visible", "Visible");
    case VisibilityClassification::hiddenBehindNotch:
        return L10n::string("panel.reason.behind_notch", "Behind notch");
    case VisibilityClassification::pushedOffscreen:
        return L10n::string("panel.reason.pushed_left", "Pushed left");
    case VisibilityClassification::unknown:
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace Parlowen::OverflowPanelCopy
