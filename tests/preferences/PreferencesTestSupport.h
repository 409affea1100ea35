#pragma once

#include "Parlowen/Hotkeys/PerAppHotKeyStore.h"
#include "Parlowen/QuickOpen/RecentMenuBarItemStore.h"
#include "Parlowen/Settings/AppPreferences.h"
#include "platform/InMemoryLoginItems.h"
#include "platform/InMemoryUserDefaults.h"
#include "platform/NotificationCenter.h"
#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/VirtualRunLoop.h"
#include "tests/support/UiTestApplication.h"
#include "ui/Preferences/PreferencesServices.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QString>
#include <QWidget>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace PreferencesTesting {

// Runs the deletions that widgets asked for with deleteLater, including those asked for by
// the deletions themselves (a window's panes release their sheets).
inline void flushDeferredDeletes() {
    for (int round = 0; round < 3; ++round) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// The object names from the focused widget up to its window, for failure messages.
inline std::string focusChain() {
    std::string chain;
    for (QWidget* each = QApplication::focusWidget(); each; each = each->parentWidget()) {
        chain += each->objectName().toStdString() + "<" + each->metaObject()->className() + "> ";
    }
    return chain.empty() ? "(no focus)" : chain;
}

// Preferences over throwaway settings, a simulated desktop and an in-memory login item.
struct PreferencesFixture {
    std::shared_ptr<platform::InMemoryUserDefaults> defaults =
        std::make_shared<platform::InMemoryUserDefaults>();
    Parlowen::AppPreferences preferences{defaults};
    Parlowen::RecentMenuBarItemStore recents{defaults};
    Parlowen::PerAppHotKeyStore hotKeys{defaults};
    platform::InMemoryLoginItems loginItems;
    platform::NotificationCenter notifications;
    platform::sim::VirtualClock clock;
    platform::sim::VirtualRunLoop loop{clock};
    platform::sim::SimulatedDesktop desktop{platform::sim::SimulatedDesktop::defaultDescription(),
                                            loop};
    bool trusted = true;
    std::vector<bool> consents;
    std::vector<Parlowen::DiagnosticTelemetryEvent> telemetry;

    PreferencesServices services() {
        tessaline::testing::uiTestApplication();
        PreferencesServices result;
        result.preferences = &preferences;
        result.recentStore = &recents;
        result.perAppHotKeyStore = &hotKeys;
        result.loginItems = &loginItems;
        result.workspace = &desktop.workspace();
        result.mainLoop = &loop;
        result.notificationCenter = &notifications;
        result.isAccessibilityTrusted = [this] { return trusted; };
        result.updaterProvider = [] { return nullptr; };
        result.applyCrashReportingConsent = [this](bool enabled) { consents.push_back(enabled); };
        result.scan = [](bool) { return Parlowen::ScanSnapshot{}; };
        result.now = [this] { return clock.wallNow(); };
        result.telemetryReporter = [this](const Parlowen::DiagnosticTelemetryEvent& event) {
            telemetry.push_back(event);
        };
        return result;
    }
};

} // namespace PreferencesTesting
