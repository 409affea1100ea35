#pragma once

#include "Parlowen/Hotkeys/PerAppHotKeyStore.h"
#include "Parlowen/QuickOpen/FavoriteMenuBarItemStore.h"
#include "Parlowen/QuickOpen/RecentMenuBarItemStore.h"
#include "Parlowen/Scanning/AccessibilityTrustProbe.h"
#include "Parlowen/Settings/AppPreferences.h"
#include "platform/InMemoryUserDefaults.h"
#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/VirtualRunLoop.h"
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

// A panel controller over throwaway stores, trusted unless told otherwise.
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
        return result;
    }
};

} // namespace PanelTesting
