// The Quick Open panel's hot paths on the offscreen platform, with 500 items: a keystroke in the
// search field up to the re-laid-out list, and a new scan reaching the panel (p95 at most 16 ms);
// the hub's call up to the panel's window shown (at most 100 ms); a row's activation up to the
// runner's first action, the 0.15 s wait excluded (at most 5 ms). Each repetition times one event.
#include "Parlowen/Hotkeys/PerAppHotKeyStore.h"
#include "Parlowen/Opening/CompatibilityStore.h"
#include "Parlowen/QuickOpen/FavoriteMenuBarItemStore.h"
#include "Parlowen/QuickOpen/QuickOpenSearchMatcher.h"
#include "Parlowen/QuickOpen/RecentMenuBarItemStore.h"
#include "Parlowen/Settings/AppPreferences.h"
#include "Parlowen/Status/ScanStatusStore.h"
#include "bench/OffscreenBenchmarkMain.h"
#include "platform/InMemoryUserDefaults.h"
#include "platform/NotificationCenter.h"
#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/VirtualRunLoop.h"
#include "ui/QuickOpenPanel/OverflowPanelController.h"
#include "ui/QuickOpenPanel/OverflowPanelView.h"
#include "ui/QuickOpenPanel/PanelSearchField.h"

#include <QApplication>
#include <QTest>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <thread>

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
    CompatibilityStore compatibility{defaults};
    platform::NotificationCenter notifications;
    ScanStatusStore status{notifications};
    // When the runner was asked to open an item, in real time.
    std::optional<std::chrono::steady_clock::time_point> runnerCalledAt;
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
        dependencies.mainLoop = &loop;
        dependencies.compatibilityStore = &compatibility;
        dependencies.statusStore = &status;
        dependencies.actionRunner = [this](const AXMenuBarItemRecord&) {
            runnerCalledAt = std::chrono::steady_clock::now();
            return std::vector<QelCore::ActionAttemptLog>{};
        };
        dependencies.telemetrySampler = [](QuickOpenActionOutcome) { return true; };
        dependencies.telemetryReporter = [](const QuickOpenTelemetryEvent&) {};
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

// A panel kept across a benchmark's repetitions. Never destroyed: its widgets must not end after
// the application, which ends when the benchmarks are done.
Panel& lastingPanel() {
    return *new Panel;
}

double p95(const std::vector<double>& samples) {
    auto sorted = samples;
    std::sort(sorted.begin(), sorted.end());
    return sorted[std::min(sorted.size() - 1, sorted.size() * 95 / 100)];
}

void BM_SearchKeystroke(benchmark::State& state) {
    static Panel& panel = lastingPanel();
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
    static Panel& panel = lastingPanel();
    for (auto _ : state) {
        state.PauseTiming();
        auto scan = scanOfManyItems();
        state.ResumeTiming();
        panel.controller->update(scan);
        Panel::settle();
    }
}

double millisecondsSince(std::chrono::steady_clock::time_point start,
                         std::chrono::steady_clock::time_point end) {
    return std::chrono::duration<double, std::milli>(end - start).count();
}

void BM_PresentPanel(benchmark::State& state) {
    static Panel& panel = lastingPanel();
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        panel.controller->presentInRescueWindow();
        Panel::settle();
        state.SetIterationTime(millisecondsSince(start, std::chrono::steady_clock::now()) / 1000);
        panel.controller->closeCurrentPresentation();
        Panel::settle();
    }
}

void BM_ActivationToRunner(benchmark::State& state) {
    static Panel& panel = lastingPanel();
    for (auto _ : state) {
        panel.controller->presentInRescueWindow();
        Panel::settle();
        panel.runnerCalledAt.reset();
        const auto start = std::chrono::steady_clock::now();
        panel.controller->activateRow(0);
        // Virtual time: the 0.15 s step costs no real time, only the loop's own work.
        panel.loop.runFor(OverflowPanelController::actionDelay);
        if (!panel.runnerCalledAt) {
            state.SkipWithError("the runner was not called");
            break;
        }
        state.SetIterationTime(millisecondsSince(start, *panel.runnerCalledAt) / 1000);
        panel.loop.runFor(std::chrono::seconds(6));
        Panel::settle();
    }
}

// One event per repetition, reported by its mean, median and p95; the timed events measure
// their own span (`manual`) where the loop's set-up around them must not count.
void registerEventBenchmark(const char* name, void (*function)(benchmark::State&), int repetitions,
                            bool manual) {
    auto* registered = benchmark::RegisterBenchmark(name, function)
                           ->Unit(benchmark::kMillisecond)
                           ->Iterations(1)
                           ->Repetitions(repetitions)
                           ->ComputeStatistics("p95", p95)
                           ->ReportAggregatesOnly(true);
    if (manual) {
        registered->UseManualTime();
    }
}

} // namespace

int main(int argc, char** argv) {
    return runOffscreenBenchmarks(argc, argv, [] {
        // As the program does at start: the transliterator is built away from the main thread.
        std::thread(Parlowen::QuickOpenSearchMatcher::warmUp).detach();
        registerEventBenchmark("BM_PresentPanel", BM_PresentPanel, 50, true);
        registerEventBenchmark("BM_ActivationToRunner", BM_ActivationToRunner, 50, true);
        registerEventBenchmark("BM_SearchKeystroke", BM_SearchKeystroke, 200, false);
        registerEventBenchmark("BM_UpdateWithNewScan", BM_UpdateWithNewScan, 200, false);
    });
}
