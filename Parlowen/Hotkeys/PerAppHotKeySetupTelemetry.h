#pragma once

#include "Parlowen/Hotkeys/PerAppHotKeyShortcut.h"
#include "Parlowen/Items/AXMenuBarItemRecord.h"
#include "Parlowen/Items/ReferenceDate.h"
#include "Parlowen/Telemetry/DiagnosticTelemetryEvent.h"
#include "Parlowen/Telemetry/PerAppHotKeyTelemetrySaveResult.h"
#include "Parlowen/Telemetry/PerAppHotKeyTelemetryShortcutShape.h"
#include "Parlowen/Telemetry/PerAppHotKeyTelemetrySource.h"

#include <cstdint>
#include <optional>
#include <string>

// The diagnostic events of recording a per-app shortcut: the setup opened, a recording started,
// and how a recording ended. They name the target app and the kind of key, never the chord.
namespace Parlowen::PerAppHotKeySetupTelemetry {

// What every event of one setup shares.
struct Context {
    PerAppHotKeyTelemetrySource source = PerAppHotKeyTelemetrySource::quickOpenRow;
    std::string appVersion;
    std::string appBundleID;
};

// How a recording ended, for "per_app_hotkey_save_result".
struct SaveOutcome {
    PerAppHotKeyTelemetrySaveResult result = PerAppHotKeyTelemetrySaveResult::canceled;
    // The chord tried; none when a recording was cancelled before any.
    std::optional<PerAppHotKeyShortcut> shortcut;
    // The item that holds (or lost) the chord; reported for `replaced` and `internalConflict`
    // only, "unknown" when it has none.
    std::optional<std::string> conflictTargetAppBundleID;
    std::optional<Date> startedAt;
    Date now;
};

// No chord gives `other`. Key code 0 with a modifier counts as `modifierOnly` (so the A key,
// code 0, never reports `withLetter`); then the US layout's letter, function-key (F1 to F20)
// and symbol keys (Space, Return, Tab, Escape and the punctuation keys); anything else `other`.
PerAppHotKeyTelemetryShortcutShape
shortcutShape(const std::optional<PerAppHotKeyShortcut>& shortcut);

// "per_app_hotkey_setup_opened" with the buckets of the listed items and of the bindings whose
// item the latest scan did not see.
DiagnosticTelemetryEvent setupOpened(const Context& context, std::int64_t visibleItemCount,
                                     std::int64_t notSeenBindingCount);

// "per_app_hotkey_recording_started" for the item.
DiagnosticTelemetryEvent recordingStarted(const Context& context, const AXMenuBarItemRecord& item,
                                          bool accessibilityGranted, bool hasExistingBinding);

// "per_app_hotkey_save_result" for the item, with the whole milliseconds from the start of the
// recording ("durationMs", rounded, never below 0; 0 without a start).
DiagnosticTelemetryEvent saveResult(const Context& context, const AXMenuBarItemRecord& item,
                                    bool accessibilityGranted, const SaveOutcome& outcome);

} // namespace Parlowen::PerAppHotKeySetupTelemetry
