#include "ui/Preferences/PreferencesServices.h"

#include "Parlowen/Hotkeys/PerAppHotKeyStore.h"
#include "Parlowen/QuickOpen/RecentMenuBarItemStore.h"
#include "Parlowen/Scanning/MenuBarScanner.h"
#include "Parlowen/Settings/AppPreferences.h"
#include "platform/NotificationCenter.h"
#include "platform/PlatformServices.h"

PreferencesServices PreferencesServices::production(const platform::PlatformServices& services) {
    PreferencesServices result;
    result.preferences = &Parlowen::AppPreferences::shared();
    result.recentStore = &Parlowen::RecentMenuBarItemStore::shared();
    result.perAppHotKeyStore = &Parlowen::PerAppHotKeyStore::shared();
    result.loginItems = &services.loginItems;
    result.workspace = &services.workspace;
    result.mainLoop = &services.mainLoop;
    result.notificationCenter = &platform::NotificationCenter::defaultCenter();
    platform::Accessibility* accessibility = &services.accessibility;
    result.isAccessibilityTrusted = [accessibility] {
        return accessibility->isProcessTrusted(false);
    };
    result.updaterProvider = [] { return nullptr; };
    result.applyCrashReportingConsent = [](bool enabled) {
        Parlowen::AppPreferences::shared().defaults().set(
            Parlowen::AppPreferences::crashReportingEnabledKey, enabled);
    };
    result.scan = [services](bool renderedFrameAssistEnabled) {
        return Parlowen::MenuBarScanner::scan(services, std::nullopt, renderedFrameAssistEnabled);
    };
    platform::Clock* clock = &services.clock;
    result.now = [clock] { return clock->wallNow(); };
    result.telemetryReporter = [](const Parlowen::DiagnosticTelemetryEvent&) {};
    const auto version =
        services.bundle.objectForInfoDictionaryKey(platform::kCFBundleShortVersionStringKey);
    if (const std::string* text = version.string()) {
        result.appVersion = *text;
    }
    result.appBundleID = services.bundle.bundleIdentifier().value_or("unknown");
    return result;
}
