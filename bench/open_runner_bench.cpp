// The program's own work per menu opening on the sample desktop. Every wait runs on virtual
// time; "ownMs" is the real time of the opening less the time spent inside the simulated
// Accessibility and window list (which stand for the system's work), budget 5 ms. "virtualMs"
// is how long the opening would block the main thread.

#include "Parlowen/Opening/ActionRunner.h"
#include "Parlowen/Scanning/MenuBarScanner.h"
#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/VirtualRunLoop.h"

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <fstream>
#include <memory>
#include <sstream>

namespace {

using namespace Parlowen;

nlohmann::json sampleDesktop() {
    std::ifstream file(std::string(TESSALINE_DESKTOPS_DIR) + "/notched-crowded.json");
    std::stringstream text;
    text << file.rdbuf();
    return nlohmann::json::parse(text.str());
}

// The sample desktop where `id` offers no Accessibility action and opens on a click only.
platform::sim::DesktopDescription clickOnly(const std::string& id) {
    auto description = sampleDesktop();
    for (auto& item : description["statusItems"]) {
        if (item["id"] == id) {
            item["actions"] = nlohmann::json::array();
            item["menu"]["opensOn"] = {"click"};
        }
    }
    return std::get<platform::sim::DesktopDescription>(
        platform::sim::parseDesktopDescription(description.dump()));
}

using SteadyClock = std::chrono::steady_clock;

// Adds up the real time spent in the calls it passes on.
struct TimeInside {
    SteadyClock::duration total{};

    template <typename Call> auto operator()(Call call) {
        const auto start = SteadyClock::now();
        auto result = call();
        total += SteadyClock::now() - start;
        return result;
    }
};

class TimedAccessibility : public platform::Accessibility {
public:
    TimedAccessibility(platform::Accessibility& inner, TimeInside& time)
        : inner(inner), time(time) {}

    bool isProcessTrusted(bool prompt) override {
        return time([&] { return inner.isProcessTrusted(prompt); });
    }
    platform::AXUIElement createApplication(pid_t pid) override {
        return time([&] { return inner.createApplication(pid); });
    }
    platform::AXCopyResult copyAttributeValue(const platform::AXUIElement& element,
                                              std::string_view attribute) override {
        return time([&] { return inner.copyAttributeValue(element, attribute); });
    }
    platform::AXCopyResult copyActionNames(const platform::AXUIElement& element) override {
        return time([&] { return inner.copyActionNames(element); });
    }
    platform::AXError performAction(const platform::AXUIElement& element,
                                    std::string_view action) override {
        return time([&] { return inner.performAction(element, action); });
    }
    std::shared_ptr<platform::AXObserver>
    createObserver(pid_t pid, platform::AXObserver::Callback callback) override {
        return time([&] { return inner.createObserver(pid, std::move(callback)); });
    }

private:
    platform::Accessibility& inner;
    TimeInside& time;
};

class TimedWindowServer : public platform::WindowServer {
public:
    TimedWindowServer(platform::WindowServer& inner, TimeInside& time) : inner(inner), time(time) {}

    platform::Value copyWindowInfo(platform::CGWindowListOption options,
                                   platform::CGWindowID relativeToWindow) override {
        return time([&] { return inner.copyWindowInfo(options, relativeToWindow); });
    }

private:
    platform::WindowServer& inner;
    TimeInside& time;
};

struct Desktop {
    explicit Desktop(const platform::sim::DesktopDescription& description)
        : desktop(description, loop) {}

    platform::PlatformServices services() {
        const auto simulated = desktop.services();
        return {accessibility,
                windowServer,
                simulated.events,
                simulated.displays,
                simulated.workspace,
                simulated.mainLoop,
                simulated.clock,
                simulated.bundle,
                simulated.log,
                simulated.environment,
                simulated.loginItems,
                simulated.statusBar,
                simulated.hotKeys,
                simulated.eventMonitors,
                simulated.distributedNotifications,
                simulated.runningCopies};
    }

    platform::sim::VirtualClock clock;
    platform::sim::VirtualRunLoop loop{clock};
    platform::sim::SimulatedDesktop desktop;
    TimeInside simulated;
    TimedAccessibility accessibility{desktop.accessibility(), simulated};
    TimedWindowServer windowServer{desktop.windowServer(), simulated};
};

// Opens `id` on a fresh desktop per iteration (built outside the timing) and reports the
// virtual time the opening blocked for beside the real time it cost.
void openItem(benchmark::State& state, const platform::sim::DesktopDescription& description,
              const std::string& id, const std::string& expectedLastResult) {
    double virtualMilliseconds = 0;
    SteadyClock::duration own{};
    for (auto _ : state) {
        state.PauseTiming();
        auto desktop = std::make_unique<Desktop>(description);
        const auto element = desktop->desktop.statusItemElement(id);
        std::optional<AXMenuBarItemRecord> item;
        for (auto& record : MenuBarScanner::scan(desktop->services(), std::nullopt, true).items) {
            if (element && record.element == *element) {
                item = std::move(record);
            }
        }
        if (!item) {
            state.SkipWithError("item not found");
            break;
        }
        const auto configuration = ActionRunner::Configuration::live(desktop->services());
        const auto start = desktop->clock.now();
        desktop->simulated.total = {};
        state.ResumeTiming();

        const auto realStart = SteadyClock::now();
        const auto logs = ActionRunner::runPreferredActions(*item, configuration);
        own += SteadyClock::now() - realStart - desktop->simulated.total;

        state.PauseTiming();
        virtualMilliseconds =
            std::chrono::duration<double, std::milli>(desktop->clock.now() - start).count();
        if (logs.back().result != expectedLastResult) {
            state.SkipWithError(("unexpected result " + logs.back().result).c_str());
        }
        desktop.reset();
        state.ResumeTiming();
    }
    state.counters["virtualMs"] = virtualMilliseconds;
    state.counters["ownMs"] = state.iterations()
                                  ? std::chrono::duration<double, std::milli>(own).count() /
                                        static_cast<double>(state.iterations())
                                  : 0;
}

void BM_OpenByPress(benchmark::State& state) {
    openItem(state, platform::sim::SimulatedDesktop::defaultDescription(), "clock",
             "observed-open");
}
BENCHMARK(BM_OpenByPress)->Unit(benchmark::kMillisecond);

// Two accepted actions with their full waits, Escape, then the click.
void BM_OpenByClick(benchmark::State& state) {
    openItem(state, platform::sim::SimulatedDesktop::defaultDescription(), "slack-4",
             "observed-open");
}
BENCHMARK(BM_OpenByClick)->Unit(benchmark::kMillisecond);

// Two clicks that hit nothing, a reveal of two drags and three scans, the click that opens.
void BM_OpenAfterReveal(benchmark::State& state) {
    openItem(state, clickOnly("amphetamine-14"), "amphetamine-14", "observed-open");
}
BENCHMARK(BM_OpenAfterReveal)->Unit(benchmark::kMillisecond);

// The longest path: three passes of six drags and nine scans that never bring the item out.
void BM_RevealThatNeverSucceeds(benchmark::State& state) {
    openItem(state, clickOnly("google-drive-20"), "google-drive-20", "move-posted-unconfirmed");
}
BENCHMARK(BM_RevealThatNeverSucceeds)->Unit(benchmark::kMillisecond);

} // namespace
