// One menu-bar scan of a sample desktop. Reported per record: the scanner's own time apart from
// the simulated Accessibility calls (budget 20 us), and the Accessibility reads made on each
// child element (at most 10 attribute reads and 1 action-names read). The generated desktops
// of 50 to 10,000 status items show that the scan's own work per item stays flat (at 10,000
// items within twice what it is at 50), with two items per app and with every item of one app.
#include "GeneratedDesktop.h"
#include "Parlowen/Scanning/MenuBarScanner.h"
#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/VirtualRunLoop.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <unordered_map>

namespace {

using Clock = std::chrono::steady_clock;

// Passes every call on to the simulated desktop, timing and counting the reads per element.
class CountingAccessibility : public platform::Accessibility {
public:
    explicit CountingAccessibility(platform::Accessibility& inner) : inner_(inner) {}

    bool isProcessTrusted(bool prompt) override { return inner_.isProcessTrusted(prompt); }
    platform::AXUIElement createApplication(pid_t pid) override {
        return inner_.createApplication(pid);
    }
    platform::AXCopyResult copyAttributeValue(const platform::AXUIElement& element,
                                              std::string_view attribute) override {
        // The counting is the benchmark's own bookkeeping: timed with the call, so that it is
        // not taken for the scanner's work.
        return timed([&] {
            ++attributeReads[element];
            return inner_.copyAttributeValue(element, attribute);
        });
    }
    platform::AXCopyResult copyActionNames(const platform::AXUIElement& element) override {
        return timed([&] {
            ++actionReads[element];
            return inner_.copyActionNames(element);
        });
    }
    platform::AXError performAction(const platform::AXUIElement& element,
                                    std::string_view action) override {
        return inner_.performAction(element, action);
    }
    std::shared_ptr<platform::AXObserver>
    createObserver(pid_t pid, platform::AXObserver::Callback callback) override {
        return inner_.createObserver(pid, std::move(callback));
    }

    std::unordered_map<platform::AXUIElement, int> attributeReads;
    std::unordered_map<platform::AXUIElement, int> actionReads;
    Clock::duration timeInside{};

private:
    template <typename Call> platform::AXCopyResult timed(Call call) {
        const auto start = Clock::now();
        platform::AXCopyResult result = call();
        timeInside += Clock::now() - start;
        return result;
    }

    platform::Accessibility& inner_;
};

std::string sampleDesktop(const char* name) {
    std::ifstream file(std::string(TESSALINE_DESKTOPS_DIR) + "/" + name + ".json");
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

void scanDescription(benchmark::State& state, const std::string& description) {
    platform::sim::VirtualClock clock;
    platform::sim::VirtualRunLoop loop(clock);
    auto created = platform::sim::SimulatedDesktop::fromJson(description, loop);
    auto& desktop = *std::get<std::unique_ptr<platform::sim::SimulatedDesktop>>(created);
    desktop.setTrusted(true);
    CountingAccessibility accessibility(desktop.accessibility());
    platform::PlatformServices services = desktop.services();
    const platform::PlatformServices counted{
        accessibility,         services.windowServer,  services.events,
        services.displays,     services.workspace,     services.mainLoop,
        services.clock,        services.bundle,        services.log,
        services.environment,  services.loginItems,    services.statusBar,
        services.hotKeys,      services.eventMonitors, services.distributedNotifications,
        services.runningCopies};

    Clock::duration total{};
    std::size_t records = 0;
    int maxAttributeReads = 0;
    int maxActionReads = 0;
    for (auto _ : state) {
        accessibility.attributeReads.clear();
        accessibility.actionReads.clear();
        accessibility.timeInside = {};
        const auto start = Clock::now();
        const Parlowen::ScanSnapshot snapshot =
            Parlowen::MenuBarScanner::scan(counted, std::nullopt, true);
        total += Clock::now() - start - accessibility.timeInside;
        records += snapshot.items.size();
        for (const auto& record : snapshot.items) {
            maxAttributeReads =
                std::max(maxAttributeReads, accessibility.attributeReads[record.element]);
            maxActionReads = std::max(maxActionReads, accessibility.actionReads[record.element]);
        }
        benchmark::DoNotOptimize(snapshot);
    }
    const double ownMicroseconds = std::chrono::duration<double, std::micro>(total).count();
    state.counters["own_us_per_item"] = records ? ownMicroseconds / double(records) : 0;
    state.counters["ax_attribute_reads_per_item"] = maxAttributeReads;
    state.counters["ax_action_reads_per_item"] = maxActionReads;
    state.counters["items"] = state.iterations() ? double(records) / double(state.iterations()) : 0;
}

void scanDesktop(benchmark::State& state, const char* name) {
    scanDescription(state, sampleDesktop(name));
}

void scanGeneratedDesktop(benchmark::State& state) {
    scanDescription(state, generatedDesktop(static_cast<std::size_t>(state.range(0))));
}

void scanOneAppDesktop(benchmark::State& state) {
    const auto count = static_cast<std::size_t>(state.range(0));
    scanDescription(state, generatedDesktop(count, count));
}

BENCHMARK_CAPTURE(scanDesktop, notched_crowded, "notched-crowded")->Unit(benchmark::kMicrosecond);
BENCHMARK(scanGeneratedDesktop)->Arg(50)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(scanOneAppDesktop)->Arg(50)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
