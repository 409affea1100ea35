#pragma once

#include "Parlowen/Settings/AppPreferences.h"
#include "Parlowen/Settings/DiagnosticsAppender.h"
#include "Parlowen/Status/MenuBarPoller.h"
#include "platform/InMemoryUserDefaults.h"
#include "tests/scan/ScanTestSupport.h"
#include "tests/support/TemporaryFolder.h"

#include <stdlib.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace PollerTesting {

// One app with one status item on a notched display: scans cost next to nothing.
inline std::string smallDesktopJson() {
    return ScanTestSupport::notchedDesktopJson(
        R"([{"pid": 200, "name": "Clock", "bundleIdentifier": "com.example.clock"}])",
        R"([{"id": "clock", "pid": 200, "width": 40}])");
}

// The scan diagnostic lines, split into the line written before each scan and the one after.
struct ScanLines {
    std::vector<std::string> all;

    static ScanLines read() {
        // One read call: the property test reads the file after every request and delivery.
        std::ifstream file(
            Parlowen::DiagnosticsAppender::path(Parlowen::MenuBarPoller::diagnosticsFileName),
            std::ios::binary | std::ios::ate);
        std::string text(file ? static_cast<size_t>(file.tellg()) : 0, '\0');
        file.seekg(0);
        file.read(text.data(), static_cast<std::streamsize>(text.size()));
        ScanLines lines;
        for (size_t start = 0; start < text.size();) {
            const size_t end = text.find('\n', start);
            lines.all.push_back(text.substr(start, end - start));
            start = end == std::string::npos ? text.size() : end + 1;
        }
        return lines;
    }

    // The reason of every scan started so far, in order.
    std::vector<std::string> startedReasons() const {
        std::vector<std::string> reasons;
        for (const std::string& line : all) {
            if (line.find(" itemCount=") == std::string::npos) {
                const auto from = line.find(" reason=") + 8;
                reasons.push_back(line.substr(from, line.find(' ', from) - from));
            }
        }
        return reasons;
    }
};

// A poller on a simulated desktop in virtual time, its diagnostic lines in a fresh folder and
// its settings in memory. The poller is not started.
struct PollerRig {
    explicit PollerRig(const std::string& desktopJson = smallDesktopJson(), double interval = 5)
        : sim(desktopJson) {
        ::setenv(Parlowen::DiagnosticsAppender::directoryVariable, folder.path().c_str(), 1);
        makePoller(sim.desktop.services(), interval);
    }
    ~PollerRig() {
        poller.reset();
        ::unsetenv(Parlowen::DiagnosticsAppender::directoryVariable);
    }

    void makePoller(const platform::PlatformServices& services, double interval) {
        poller = std::make_unique<Parlowen::MenuBarPoller>(services, preferences, interval);
        poller->onSnapshot = [this](const Parlowen::ScanSnapshot& snapshot) {
            snapshots.push_back(snapshot);
        };
    }

    void run(platform::Duration duration) { sim.loop.runFor(duration); }
    std::vector<std::string> startedReasons() const { return ScanLines::read().startedReasons(); }

    TemporaryFolder folder;
    ScanTestSupport::Desktop sim;
    std::shared_ptr<platform::InMemoryUserDefaults> defaults =
        std::make_shared<platform::InMemoryUserDefaults>();
    Parlowen::AppPreferences preferences{defaults};
    std::vector<Parlowen::ScanSnapshot> snapshots;
    std::unique_ptr<Parlowen::MenuBarPoller> poller;
};

} // namespace PollerTesting
