#pragma once

#include "Parlowen/Settings/OverflowPanelScope.h"
#include "Parlowen/Settings/QuickAccessModifierShortcut.h"
#include "platform/UserDefaults.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace Parlowen {

// Typed access to the settings in the user defaults. Each reader applies its key's rule for an
// absent or wrong-typed value; writers other than the shortcut setter store through
// `defaults()` under the keys below.
class AppPreferences {
public:
    static constexpr std::string_view firstRunDefaultsAppliedKey = "firstRun.defaultsApplied";
    static constexpr std::string_view quickAccessModifierShortcutKey =
        "quickAccess.modifierShortcut";
    static constexpr std::string_view panelScopeKey = "panel.scope";
    static constexpr std::string_view scanIntervalSecondsKey = "scanner.intervalSeconds";
    static constexpr std::string_view renderedFrameAssistEnabledKey =
        "scanner.renderedFrameAssistEnabled";
    static constexpr std::string_view crashReportingEnabledKey =
        "diagnostics.crashReportingEnabled";
    static constexpr std::string_view installIDKey = "diagnostics.installID";
    static constexpr std::string_view labelsEnabledKey = "diagnostics.labelsEnabled";
    static constexpr std::string_view launchAtLoginKey = "general.launchAtLogin";
    static constexpr std::string_view onboardingCompletedKey = "onboarding.completed";

    // The scan interval used when none usable is stored.
    static constexpr double defaultScanIntervalSeconds = 5.0;
    // Intervals below this (and non-finite ones) are not used for the scan timer.
    static constexpr double minimumScanIntervalSeconds = 0.1;

    explicit AppPreferences(std::shared_ptr<platform::UserDefaults> defaults);

    // The process-wide instance over the standard user defaults, made on first use.
    static AppPreferences& shared();

    platform::UserDefaults& defaults() const { return *store; }

    // Once per user: stores "option" as the shortcut unless any value is stored under its key,
    // then marks the first run as done.
    void applyFirstRunDefaultsIfNeeded();

    // The stored case; `option` when absent or not a known raw value.
    QuickAccessModifierShortcut quickAccessModifierShortcut() const;
    void setQuickAccessModifierShortcut(QuickAccessModifierShortcut shortcut);

    // `hiddenOnly` only for the exact text "hiddenOnly"; anything else is `allRightSide`.
    OverflowPanelScope panelScope() const;
    // The stored interval when usable (`isUsableScanInterval`), else 5 seconds.
    double scanIntervalSeconds() const;
    // True when absent, else the stored Boolean (a non-Boolean reads false).
    bool renderedFrameAssistEnabled() const;
    bool crashReportingEnabled() const;
    // False when absent.
    bool labelsEnabled() const;
    bool launchAtLogin() const;
    bool onboardingCompleted() const;
    // The stored install identifier, or none.
    std::optional<std::string> installID() const;

    // A finite interval of at least 0.1 s; other values fall back (when read) or are ignored
    // (when the preferences change the poller's interval).
    static bool isUsableScanInterval(double seconds);

private:
    bool boolDefaultingToTrue(std::string_view key) const;

    std::shared_ptr<platform::UserDefaults> store;
};

} // namespace Parlowen
