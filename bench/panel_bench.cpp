// The Quick Open panel's two hot paths on the offscreen platform, with 500 items: a keystroke
// in the search field up to the re-laid-out list, and a new scan reaching the panel. Each
// repetition times one event; the p95 aggregate is the figure to watch (at most 16 ms).
#include "Parlowen/Hotkeys/PerAppHotKeyStore.h"
#include "Parlowen/QuickOpen/FavoriteMenuBarItemStore.h"
#include "Parlowen/QuickOpen/RecentMenuBarItemStore.h"
#include "Parlowen/Settings/AppPreferences.h"
#include "platform/InMemoryUserDefaults.h"
#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/VirtualRunLoop.h"
#include "ui/Design/TessalineAppearance.h"
#include "ui/QuickOpenPanel/OverflowPanelController.h"
#include "ui/QuickOpenPanel/OverflowPanelView.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>

namespace {

using namespace Parlowen;

constexpr int itemCount = 500;

ScanSnapshot scanOfManyItems() {
    using enum QelCore::VisibilityClassification;
    ScanSnapshot snapshot;
    for (int index = 0; index < itemCount; ++index) {
        AXMenuBarItemRecord item;
        item.id = UUID::random();
        item.appName = "App " + std::to_string(index);
        item.title = index % 3 == 0 ? "" : "Status " + std::to_string(index);
        item.bundleIdentifier = "com.example.app" + std::to_string(index);
        item.role = "AXMenuBarItem";
        item.subrole = "AXMenuExtra";
        item.sourceHint = QelCore::FixtureMenuBarItemSourceHint::menuExtra;
        item.classification = index % 4 == 0 ? hiddenBehindNotch : visible;
        item.frame = platform::CGRect{100.0 + index * 3, 0, 22, 24};
        item.isStatusCandidate = true;
        item.notes = {"source=menuExtra"};
        snapshot.items.push_back(std::move(item));
    }
    return snapshot;
}

struct Panel {
    std::shared_ptr<platform::InMemoryUserDefaults> defaults =
        std::make_shared<platform::InMemoryUserDefaults>();
    AppPreferences preferences{defaults};
    RecentMenuBarItemStore recents{defaults};
    FavoriteMenuBarItemStore favorites{defaults};
    PerAppHotKeyStore hotKeys{defaults};
    platform::sim::VirtualClock clock;
    platform::sim::VirtualRunLoop loop{clock};
    platform::sim::SimulatedDesktop desktop{platform::sim::SimulatedDesktop::defaultDescription(),
                                            loop};
    std::unique_ptr<OverflowPanelController> controller;

    Panel() {
        OverflowPanelController::Dependencies dependencies;
        dependencies.preferences = &preferences;
        dependencies.recentStore = &recents;
        dependencies.favoriteStore = &favorites;
        dependencies.perAppHotKeyStore = &hotKeys;
        dependencies.now = [] { return Date{}; };
        dependencies.accessibilityTrustChecker = [] { return true; };
        dependencies.workspace = &desktop.workspace();
        controller = std::make_unique<OverflowPanelController>(std::move(dependencies));
        controller->view().show();
        controller->update(scanOfManyItems());
        settle();
    }

    // Runs the layout and paint work the event loop would do before the next frame.
    static void settle() {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

double p95(const std::vector<double>& samples) {
    auto sorted = samples;
    std::sort(sorted.begin(), sorted.end());
    return sorted[std::min(sorted.size() - 1, sorted.size() * 95 / 100)];
}

void BM_SearchKeystroke(benchmark::State& state) {
    static Panel panel;
    auto* field = panel.controller->view().searchField;
    // Type and erase "app 1" by turns, so queries widen and narrow.
    static const char keys[] = "app 1";
    static int step = 0;
    for (auto _ : state) {
        const int position = step % 10;
        if (position < 5) {
            QTest::keyClick(field, keys[position]);
        } else {
            QTest::keyClick(field, Qt::Key_Backspace);
        }
        Panel::settle();
        ++step;
    }
    state.counters["rows"] = static_cast<double>(panel.controller->displayedItems().size());
}

void BM_UpdateWithNewScan(benchmark::State& state) {
    static Panel panel;
    for (auto _ : state) {
        state.PauseTiming();
        auto scan = scanOfManyItems();
        state.ResumeTiming();
        panel.controller->update(scan);
        Panel::settle();
    }
}

BENCHMARK(BM_SearchKeystroke)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(200)
    ->ComputeStatistics("p95", p95)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_UpdateWithNewScan)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(200)
    ->ComputeStatistics("p95", p95)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    Parlowen::TessalineAppearance::prepareEnvironment();
    QApplication application(argc, argv);
    Parlowen::TessalineAppearance::install(application);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
