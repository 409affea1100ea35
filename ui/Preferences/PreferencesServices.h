#pragma once

#include "Parlowen/Items/ScanSnapshot.h"
#include "Parlowen/Telemetry/DiagnosticTelemetryEvent.h"
#include "platform/Clock.h"

#include <functional>
#include <string>

namespace platform {
class LoginItems;
class NotificationCenter;
struct PlatformServices;
class RunLoop;
class Workspace;
} // namespace platform

namespace Parlowen {
class AppPreferences;
class PerAppHotKeyStore;
class PreferencesUpdater;
class RecentMenuBarItemStore;
} // namespace Parlowen

// What the preferences window and its panes use of the rest of the program. The referenced
// objects outlive the window.
struct PreferencesServices {
    Parlowen::AppPreferences* preferences = nullptr;
    Parlowen::RecentMenuBarItemStore* recentStore = nullptr;
    Parlowen::PerAppHotKeyStore* perAppHotKeyStore = nullptr;
    platform::LoginItems* loginItems = nullptr;
    // Accessibility settings, revealing the export, the did-become-active notification.
    platform::Workspace* workspace = nullptr;
    // Where the panes' deferred work runs.
    platform::RunLoop* mainLoop = nullptr;
    // Where the updater announces status changes.
    platform::NotificationCenter* notificationCenter = nullptr;
    // Accessibility trust, never prompting.
    std::function<bool()> isAccessibilityTrusted;
    // The updater, none when the program has none.
    std::function<Parlowen::PreferencesUpdater*()> updaterProvider;
    // Stores the crash-reporting consent and starts or stops reporting.
    std::function<void(bool)> applyCrashReportingConsent;
    // One fresh menu-bar scan, with the rendered-frame assist on or off.
    std::function<Parlowen::ScanSnapshot(bool renderedFrameAssistEnabled)> scan;
    std::function<platform::WallTime()> now;
    // Sends a diagnostic telemetry event (the per-app hotkey removals).
    std::function<void(const Parlowen::DiagnosticTelemetryEvent&)> telemetryReporter;
    std::string appVersion = "0.0.0";
    std::string appBundleID = "unknown";

    // The shared settings and stores, the default notification centre and the platform's
    // services; no updater, consent stored as the setting and telemetry dropped until the
    // owner sets them.
    static PreferencesServices production(const platform::PlatformServices& services);
};
