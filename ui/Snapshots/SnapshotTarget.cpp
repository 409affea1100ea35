#include "ui/Snapshots/SnapshotTarget.h"

#include "ui/Preferences/PreferencesTabViewController.h"

namespace SnapshotTargets {

std::string_view toString(SnapshotTarget target) {
    switch (target) {
    case SnapshotTarget::firstLaunch:
        return "first-launch";
    case SnapshotTarget::accessibilityPermission:
        return "accessibility-permission";
    case SnapshotTarget::hiddenIconsPanel:
        return "hidden-icons-panel";
    case SnapshotTarget::quickOpenNoHiddenPanel:
        return "quick-open-no-hidden-panel";
    case SnapshotTarget::quickOpenSearchPanel:
        return "quick-open-search-panel";
    case SnapshotTarget::missingPermissionPanel:
        return "missing-permission-panel";
    case SnapshotTarget::allClearPanel:
        return "all-clear-panel";
    case SnapshotTarget::quickAccessFallback:
        return "quick-access-fallback";
    case SnapshotTarget::preferencesGeneral:
        return "preferences-general";
    case SnapshotTarget::preferencesQuickAccess:
        return "preferences-quick-access";
    case SnapshotTarget::preferencesAdvanced:
        return "preferences-advanced";
    case SnapshotTarget::appIcon:
        return "app-icon";
    }
    return "";
}

std::optional<SnapshotTarget> fromString(std::string_view raw) {
    for (const SnapshotTarget target : allCases) {
        if (toString(target) == raw) {
            return target;
        }
    }
    return std::nullopt;
}

QSize size(SnapshotTarget target) {
    switch (target) {
    case SnapshotTarget::firstLaunch:
    case SnapshotTarget::accessibilityPermission:
        return {1040, 760};
    case SnapshotTarget::hiddenIconsPanel:
    case SnapshotTarget::quickOpenNoHiddenPanel:
    case SnapshotTarget::quickOpenSearchPanel:
    case SnapshotTarget::missingPermissionPanel:
    case SnapshotTarget::allClearPanel:
        return {440, 452};
    case SnapshotTarget::quickAccessFallback:
        return {840, 430};
    case SnapshotTarget::preferencesGeneral:
    case SnapshotTarget::preferencesQuickAccess:
    case SnapshotTarget::preferencesAdvanced:
        return PreferencesTabViewController::contentSize;
    case SnapshotTarget::appIcon:
        return {1024, 1024};
    }
    return {};
}

} // namespace SnapshotTargets
