#include "PollerTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <random>

namespace {

using namespace std::chrono_literals;
using PollerTesting::PollerRig;
using PollerTesting::ScanLines;

constexpr int sequenceCount = 10'000;

// Random bursts of direct requests (with and without bypass), display changes, app launches and
// terminations and waits, seeded so that every run is the same. Checked in every sequence:
// - no overlap: each delivered scan is the only one started and not yet delivered;
// - the throttle: a scan without bypass starts at least 1.5 s after the previous delivery;
// - no lost request: after each request some scan starts, and nothing waits at the end.
TEST(MenuBarPollerProperty, RandomSequencesNeverOverlapNorLoseRequests) {
    const auto description = std::get<platform::sim::DesktopDescription>(
        platform::sim::parseDesktopDescription(PollerTesting::smallDesktopJson()));
    const auto otherDisplays = [&] {
        auto displays = description.displays;
        displays[0].frame.size.width = 1800;
        return displays;
    }();
    std::mt19937 random(20250101);
    std::uniform_int_distribution<int> pick(0, 99);
    std::uniform_int_distribution<int> waitMs(0, 2500);
    std::uniform_int_distribution<int> stepCount(1, 16);
    long scans = 0;

    // One desktop and one diagnostic folder for all sequences; a fresh poller and file for each.
    PollerRig rig(PollerTesting::smallDesktopJson(), 3600);
    const auto file =
        Parlowen::DiagnosticsAppender::path(Parlowen::MenuBarPoller::diagnosticsFileName);
    bool launched = false;
    for (int sequence = 0; sequence < sequenceCount; ++sequence) {
        std::filesystem::remove(file);
        rig.snapshots.clear();
        // The timer stays out of the way so that it cannot stand in for a lost request.
        rig.makePoller(rig.sim.desktop.services(), 3600);
        std::vector<std::string> failures;
        std::optional<platform::WallTime> lastDelivery;
        rig.poller->onSnapshot = [&](const Parlowen::ScanSnapshot& snapshot) {
            rig.snapshots.push_back(snapshot);
            const auto reasons = ScanLines::read().startedReasons();
            if (reasons.size() != rig.snapshots.size()) {
                failures.push_back("delivery " + std::to_string(rig.snapshots.size()) + " with " +
                                   std::to_string(reasons.size()) + " started");
            } else if (reasons.back() != "panel-refresh" && lastDelivery &&
                       snapshot.scanStartedAt - *lastDelivery < 1500ms) {
                failures.push_back("throttle broken by " + reasons.back());
            }
            lastDelivery = rig.sim.clock.wallNow();
        };
        // Scans started so far; exact while deliveries find no overlap.
        const auto started = [&] {
            return rig.snapshots.size() + (rig.poller->isScanInFlight() ? 1 : 0);
        };
        rig.poller->start();
        std::vector<size_t> startedBeforeRequest;
        for (int step = stepCount(random); step > 0; --step) {
            const int kind = pick(random);
            if (kind < 35) {
                const bool bypass = kind < 10;
                startedBeforeRequest.push_back(started());
                rig.poller->scan(bypass ? "panel-refresh" : "tick", bypass);
            } else if (kind < 50) {
                rig.sim.desktop.setDisplays(kind % 2 == 0 ? otherDisplays : description.displays);
            } else if (kind < 60) {
                if (launched) {
                    rig.sim.desktop.quit(300);
                } else {
                    platform::sim::AppDescription app;
                    app.pid = 300;
                    app.name = "Later";
                    rig.sim.desktop.launch(app, {});
                }
                launched = !launched;
            } else if (kind < 75) {
                rig.run(0ms);
            } else {
                rig.run(std::chrono::milliseconds(waitMs(random)));
            }
        }
        rig.run(2s);
        for (size_t before : startedBeforeRequest) {
            if (started() <= before) {
                failures.push_back("a request made after " + std::to_string(before) +
                                   " scans was never served");
            }
        }
        if (rig.poller->isScanInFlight() || rig.poller->queuedScanRequest() ||
            ScanLines::read().startedReasons().size() != rig.snapshots.size()) {
            failures.push_back("a request still waits at the end");
        }
        scans += static_cast<long>(rig.snapshots.size());
        ASSERT_EQ(failures, std::vector<std::string>{}) << "sequence " << sequence;
    }
    RecordProperty("scans", std::to_string(scans));
    std::cout << sequenceCount << " sequences, " << scans << " scans\n";
}

} // namespace
