#include "Parlowen/Hotkeys/PerAppHotKeySetupTelemetry.h"

#include "Parlowen/Items/MenuBarItemStableIdentity.h"
#include "Parlowen/Telemetry/PerAppHotKeyTelemetryEvent.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>

namespace Parlowen::PerAppHotKeySetupTelemetry {

namespace {

// macOS virtual key codes of the US layout.
constexpr std::array<std::uint32_t, 26> telemetryLetterKeyCodes{
    0, 11, 8, 2, 14, 3, 5, 4, 34, 38, 40, 37, 46, 45, 31, 35, 12, 15, 1, 17, 32, 9, 13, 7, 16, 6};
constexpr std::array<std::uint32_t, 20> telemetryFunctionKeyCodes{
    122, 120, 99, 118, 96, 97, 98, 100, 101, 109, 103, 111, 105, 107, 113, 106, 64, 79, 80, 90};
constexpr std::array<std::uint32_t, 15> telemetrySymbolKeyCodes{49, 36, 48, 53, 42, 43, 47, 44,
                                                                41, 39, 33, 30, 50, 27, 24};

template <std::size_t count>
bool holds(const std::array<std::uint32_t, count>& codes, std::uint32_t keyCode) {
    return std::find(codes.begin(), codes.end(), keyCode) != codes.end();
}

std::string knownOrUnknown(const std::optional<std::string>& bundleID) {
    return bundleID && !bundleID->empty() ? *bundleID : "unknown";
}

// The tags of the recording and result events: the common ones and the target item's.
std::map<std::string, std::string>
targetTags(const Context& context, const AXMenuBarItemRecord& item, bool accessibilityGranted) {
    auto tags = PerAppHotKeyTelemetryEvent::commonTags(context.source, context.appVersion,
                                                       context.appBundleID);
    tags["targetAppBundleID"] = knownOrUnknown(item.bundleIdentifier);
    tags["identityVersion"] = MenuBarItemStableIdentity::of(item).version();
    tags["accessibility"] = accessibilityGranted ? "granted" : "missing";
    return tags;
}

std::int64_t durationMilliseconds(const std::optional<Date>& startedAt, Date now) {
    if (!startedAt) {
        return 0;
    }
    const double milliseconds = std::chrono::duration<double, std::milli>(now - *startedAt).count();
    return std::max<std::int64_t>(std::llround(milliseconds), 0);
}

} // namespace

PerAppHotKeyTelemetryShortcutShape
shortcutShape(const std::optional<PerAppHotKeyShortcut>& shortcut) {
    using enum PerAppHotKeyTelemetryShortcutShape;
    if (!shortcut) {
        return other;
    }
    if (shortcut->keyCode == 0 && shortcut->modifierFlags != 0) {
        return modifierOnly;
    }
    if (holds(telemetryLetterKeyCodes, shortcut->keyCode)) {
        return withLetter;
    }
    if (holds(telemetryFunctionKeyCodes, shortcut->keyCode)) {
        return withFunctionKey;
    }
    if (holds(telemetrySymbolKeyCodes, shortcut->keyCode)) {
        return withSymbol;
    }
    return other;
}

DiagnosticTelemetryEvent setupOpened(const Context& context, std::int64_t visibleItemCount,
                                     std::int64_t notSeenBindingCount) {
    return {
        "per_app_hotkey_setup_opened",
        PerAppHotKeyTelemetryEvent::commonTags(context.source, context.appVersion,
                                               context.appBundleID),
        {{"visibleItemCountBucket", PerAppHotKeyTelemetryEvent::bucket(visibleItemCount)},
         {"notSeenBindingCountBucket", PerAppHotKeyTelemetryEvent::bucket(notSeenBindingCount)}}};
}

DiagnosticTelemetryEvent recordingStarted(const Context& context, const AXMenuBarItemRecord& item,
                                          bool accessibilityGranted, bool hasExistingBinding) {
    auto tags = targetTags(context, item, accessibilityGranted);
    tags["hasExistingBinding"] = hasExistingBinding ? "true" : "false";
    return {"per_app_hotkey_recording_started", std::move(tags), {}};
}

DiagnosticTelemetryEvent saveResult(const Context& context, const AXMenuBarItemRecord& item,
                                    bool accessibilityGranted, const SaveOutcome& outcome) {
    auto tags = targetTags(context, item, accessibilityGranted);
    tags["result"] = QelCore::toString(outcome.result);
    tags["shortcutShape"] = QelCore::toString(shortcutShape(outcome.shortcut));
    if (outcome.result == PerAppHotKeyTelemetrySaveResult::replaced ||
        outcome.result == PerAppHotKeyTelemetrySaveResult::internalConflict) {
        tags["conflictTargetAppBundleID"] = knownOrUnknown(outcome.conflictTargetAppBundleID);
    }
    return {"per_app_hotkey_save_result",
            std::move(tags),
            {{"durationMs", durationMilliseconds(outcome.startedAt, outcome.now)}}};
}

} // namespace Parlowen::PerAppHotKeySetupTelemetry
