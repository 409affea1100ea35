#include "Parlowen/Settings/AppPreferences.h"

#include <cmath>

namespace Parlowen {

AppPreferences::AppPreferences(std::shared_ptr<platform::UserDefaults> defaults)
    : store(std::move(defaults)) {}

AppPreferences& AppPreferences::shared() {
    static AppPreferences instance(platform::UserDefaults::standard());
    return instance;
}

void AppPreferences::applyFirstRunDefaultsIfNeeded() {
    if (store->boolForKey(firstRunDefaultsAppliedKey)) {
        return;
    }
    if (!store->objectForKey(quickAccessModifierShortcutKey)) {
        store->set(quickAccessModifierShortcutKey, std::string("option"));
    }
    store->set(firstRunDefaultsAppliedKey, true);
}

QuickAccessModifierShortcut AppPreferences::quickAccessModifierShortcut() const {
    const auto stored = store->stringForKey(quickAccessModifierShortcutKey);
    const auto shortcut =
        stored ? QelCore::fromString<QuickAccessModifierShortcut>(*stored) : std::nullopt;
    return shortcut.value_or(QuickAccessModifierShortcut::option);
}

void AppPreferences::setQuickAccessModifierShortcut(QuickAccessModifierShortcut shortcut) {
    store->set(quickAccessModifierShortcutKey, QelCore::toString(shortcut));
}

OverflowPanelScope AppPreferences::panelScope() const {
    return store->stringForKey(panelScopeKey) == "hiddenOnly" ? OverflowPanelScope::hiddenOnly
                                                              : OverflowPanelScope::allRightSide;
}

double AppPreferences::scanIntervalSeconds() const {
    const double stored = store->doubleForKey(scanIntervalSecondsKey);
    return isUsableScanInterval(stored) ? stored : defaultScanIntervalSeconds;
}

bool AppPreferences::renderedFrameAssistEnabled() const {
    return boolDefaultingToTrue(renderedFrameAssistEnabledKey);
}

bool AppPreferences::crashReportingEnabled() const {
    return boolDefaultingToTrue(crashReportingEnabledKey);
}

bool AppPreferences::labelsEnabled() const {
    return store->boolForKey(labelsEnabledKey);
}

bool AppPreferences::launchAtLogin() const {
    return store->boolForKey(launchAtLoginKey);
}

bool AppPreferences::onboardingCompleted() const {
    return store->boolForKey(onboardingCompletedKey);
}

std::optional<std::string> AppPreferences::installID() const {
    return store->stringForKey(installIDKey);
}

bool AppPreferences::isUsableScanInterval(double seconds) {
    return std::isfinite(seconds) && seconds >= minimumScanIntervalSeconds;
}

bool AppPreferences::boolDefaultingToTrue(std::string_view key) const {
    // Asking for the object first tells a stored false from an absent key.
    return !store->objectForKey(key) || store->boolForKey(key);
}

} // namespace Parlowen
