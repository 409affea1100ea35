#pragma once

#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/VirtualClock.h"
#include "platform/sim/VirtualRunLoop.h"

#include <chrono>
#include <memory>

// A one-display desktop in virtual time with the application "Clock" (pid 300), the given
// status items and window-list entries as they stand.
struct SimDesktopFixture {
    static constexpr pid_t clockPid = 300;

    platform::sim::VirtualClock clock;
    platform::sim::VirtualRunLoop loop{clock};
    std::unique_ptr<platform::sim::SimulatedDesktop> desktop;
    platform::MonotonicTime start = clock.now();

    explicit SimDesktopFixture(std::vector<platform::sim::StatusItemDescription> items,
                               std::vector<platform::Value> rawWindowEntries = {}) {
        platform::sim::DesktopDescription description;
        description.name = "test";
        description.displays.push_back(
            {1, "Built-in", {0, 0, 1512, 982}, 24, platform::CGSize{200, 32}});
        description.ownProcess.pid = 100;
        description.ownProcess.name = "Tessaline";
        platform::sim::AppDescription app;
        app.pid = clockPid;
        app.name = "Clock";
        description.apps.push_back(app);
        description.statusItems = std::move(items);
        description.rawWindowEntries = std::move(rawWindowEntries);
        desktop = std::make_unique<platform::sim::SimulatedDesktop>(description, loop);
    }

    // A status item of "Clock" whose menu opens on the given actions and announces itself
    // `delayMs` later.
    static platform::sim::StatusItemDescription
    item(std::string id, std::string notification, double delayMs,
         std::vector<std::string> opensOn = {"AXPress"}) {
        platform::sim::StatusItemDescription description;
        description.id = std::move(id);
        description.pid = clockPid;
        description.width = 30;
        description.menu = platform::sim::MenuDescription{
            std::move(opensOn), std::move(notification), delayMs, {"One", "Two"}, {220, 200}};
        return description;
    }

    platform::AXError press(std::string_view id) {
        return desktop->accessibility().performAction(*desktop->statusItemElement(id), "AXPress");
    }

    std::int64_t elapsedMs() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(clock.now() - start).count();
    }
};
