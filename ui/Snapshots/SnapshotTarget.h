#pragma once

#include <QSize>

#include <array>
#include <optional>
#include <string>
#include <string_view>

// The screens the visual snapshot mode renders; the raw value is also the PNG file's stem.
enum class SnapshotTarget {
    firstLaunch,
    accessibilityPermission,
    hiddenIconsPanel,
    quickOpenNoHiddenPanel,
    quickOpenSearchPanel,
    missingPermissionPanel,
    allClearPanel,
    quickAccessFallback,
    preferencesGeneral,
    preferencesQuickAccess,
    preferencesAdvanced,
    appIcon,
};

namespace SnapshotTargets {

// Every target in render order.
inline constexpr std::array<SnapshotTarget, 12> allCases = {
    SnapshotTarget::firstLaunch,          SnapshotTarget::accessibilityPermission,
    SnapshotTarget::hiddenIconsPanel,     SnapshotTarget::quickOpenNoHiddenPanel,
    SnapshotTarget::quickOpenSearchPanel, SnapshotTarget::missingPermissionPanel,
    SnapshotTarget::allClearPanel,        SnapshotTarget::quickAccessFallback,
    SnapshotTarget::preferencesGeneral,   SnapshotTarget::preferencesQuickAccess,
    SnapshotTarget::preferencesAdvanced,  SnapshotTarget::appIcon,
};

std::string_view toString(SnapshotTarget target);
// Only an exact raw value matches.
std::optional<SnapshotTarget> fromString(std::string_view raw);
// The picture's size in points, which is its size in pixels.
QSize size(SnapshotTarget target);

} // namespace SnapshotTargets
