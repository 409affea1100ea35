#pragma once

#include "Parlowen/Hotkeys/HotKeyRegistry.h"
#include "Parlowen/Hotkeys/PerAppHotKeyStore.h"
#include "Parlowen/Opening/CompatibilityStore.h"
#include "Parlowen/QuickOpen/FavoriteMenuBarItemStore.h"
#include "Parlowen/QuickOpen/RecentMenuBarItemStore.h"
#include "Parlowen/Scanning/AccessibilityTrustProbe.h"
#include "Parlowen/Settings/AppPreferences.h"
#include "Parlowen/Status/ScanStatusStore.h"
#include "platform/InMemoryUserDefaults.h"
#include "platform/NotificationCenter.h"
#include "platform/sim/SimAppServices.h"
#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/VirtualRunLoop.h"
#include "tests/quickopen/RecordBuilder.h"
#include "tests/support/UiTestApplication.h"
#include "ui/QuickOpenPanel/OverflowPanelController.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QString>

#include <chrono>
#include <memory>
#include <ostream>

// Failure messages print Qt texts as text.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace PanelTesting {

inline QApplication& application() {
    return tessaline::testing::uiTestApplication();
}

// Runs the deletions that widgets asked for with deleteLater.
inline void flushDeferredDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A scan of the items, taken 10 seconds before the fixture's `now`.
inline Parlowen::ScanSnapshot scanOf(std::vector<Parlowen::AXMenuBarItemRecord> items) {
    Parlowen::ScanSnapshot snapshot;
    snapshot.items = std::move(items);
    snapshot.scanStartedAt = *Parlowen::ReferenceDate::fromSecondsSinceReferenceDate(799'999'990);
    return snapshot;
}

// An item hidden behind the notch, its frame centred at x = `centre`.
inline Parlowen::AXMenuBarItemRecord hiddenAt(const char* appName, double centre) {
    return QuickOpenTesting::record(appName, "",
                                    QelCore::VisibilityClassification::hiddenBehindNotch,
                                    QuickOpenTesting::frameCentredAt(centre));
}

// A panel controller over throwaway stores, trusted unless told otherwise. Its action runner
// records the items it is asked to open and answers `runnerAnswer`; telemetry is kept in
// `reported`, every outcome sampled unless `sampler` is replaced, and the shortcut setup's
// events in `diagnostics`. Chords are checked against the simulated desktop's hotkeys.
struct PanelFixture {
    std::shared_ptr<platform::InMemoryUserDefaults> defaults =
        std::make_shared<platform::InMemoryUserDefaults>();
    Parlowen::AppPreferences preferences{defaults};
    Parlowen::RecentMenuBarItemStore recents{defaults};
    Parlowen::FavoriteMenuBarItemStore favorites{defaults};
    Parlowen::PerAppHotKeyStore hotKeys{defaults};
    platform::sim::VirtualClock clock;
    platform::sim::VirtualRunLoop loop{clock};
    platform::sim::SimulatedDesktop desktop{platform::sim::SimulatedDesktop::defaultDescription(),
                                            loop};
    Parlowen::Date now = *Parlowen::ReferenceDate::fromSecondsSinceReferenceDate(800'000'000);
    Parlowen::CompatibilityStore compatibility{defaults};
    platform::NotificationCenter notifications;
    Parlowen::ScanStatusStore status{notifications};
    std::vector<std::string> opened;
    std::vector<QelCore::ActionAttemptLog> runnerAnswer;
    std::function<bool(Parlowen::QuickOpenActionOutcome)> sampler =
        [](Parlowen::QuickOpenActionOutcome) { return true; };
    std::vector<Parlowen::QuickOpenTelemetryEvent> reported;
    Parlowen::HotKeyRegistry hotKeyRegistry{desktop.appServices().hotKeys, loop};
    std::vector<Parlowen::DiagnosticTelemetryEvent> diagnostics;

    OverflowPanelController::Dependencies dependencies() {
        application();
        OverflowPanelController::Dependencies result;
        result.preferences = &preferences;
        result.recentStore = &recents;
        result.favoriteStore = &favorites;
        result.perAppHotKeyStore = &hotKeys;
        result.now = [this] { return now; };
        result.accessibilityTrustChecker =
            [probe = Parlowen::AccessibilityTrustProbe::live(desktop.accessibility())] {
                return probe.isTrusted(false);
            };
        result.workspace = &desktop.workspace();
        result.mainLoop = &loop;
        result.compatibilityStore = &compatibility;
        result.statusStore = &status;
        result.actionRunner = [this](const Parlowen::AXMenuBarItemRecord& item) {
            opened.push_back(item.appName);
            return runnerAnswer;
        };
        result.telemetrySampler = [this](Parlowen::QuickOpenActionOutcome outcome) {
            return sampler(outcome);
        };
        result.telemetryReporter = [this](const Parlowen::QuickOpenTelemetryEvent& event) {
            reported.push_back(event);
        };
        result.hotKeyRegistry = &hotKeyRegistry;
        result.diagnosticTelemetryReporter =
            [this](const Parlowen::DiagnosticTelemetryEvent& event) {
                diagnostics.push_back(event);
            };
        return result;
    }
};

} // namespace PanelTesting
