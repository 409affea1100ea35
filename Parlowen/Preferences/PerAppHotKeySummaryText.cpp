#include "Parlowen/Preferences/PerAppHotKeySummaryText.h"

#include "Parlowen/Settings/L10n.h"

namespace Parlowen::PerAppHotKeySummaryText {

std::string paneSummary(std::size_t bindingCount, std::size_t staleCount) {
    if (bindingCount == 0) {
        return L10n::string("preferences.quick_access.app_shortcuts.none", "No app shortcuts");
    }
    if (staleCount > 0) {
        return L10n::format(L10n::string("preferences.quick_access.app_shortcuts.count_with_stale",
                                         "%d shortcuts · %d unavailable"),
                            {bindingCount, staleCount});
    }
    if (bindingCount == 1) {
        return L10n::format(
            L10n::string("preferences.quick_access.app_shortcuts.count", "%d shortcut"),
            {bindingCount});
    }
    return L10n::format(
        L10n::string("preferences.quick_access.app_shortcuts.count.many", "%d shortcuts"),
        {bindingCount});
}

std::string managementSummary(std::size_t availableCount, std::size_t staleCount) {
    if (availableCount + staleCount == 0) {
        return L10n::string("preferences.app_shortcuts.summary.empty", "No shortcuts configured");
    }
    if (staleCount > 0) {
        return L10n::format(L10n::string("preferences.app_shortcuts.summary.with_stale",
                                         "%d available · %d unavailable"),
                            {availableCount, staleCount});
    }
    return L10n::format(L10n::string("preferences.app_shortcuts.summary.count", "%d available"),
                        {availableCount});
}

} // namespace Parlowen::PerAppHotKeySummaryText
