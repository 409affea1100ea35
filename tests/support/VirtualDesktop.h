#pragma once

#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/VirtualRunLoop.h"

#include <fstream>
#include <sstream>
#include <string>

namespace TestSupport {

// The whole content of a file; the empty text when it cannot be read.
inline std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// A simulated desktop built from a description's JSON text, on a virtual clock and loop.
struct VirtualDesktop {
    explicit VirtualDesktop(const std::string& json)
        : desktop(std::get<platform::sim::DesktopDescription>(
                      platform::sim::parseDesktopDescription(json)),
                  loop) {}

    platform::PlatformServices services() { return desktop.services(); }

    platform::Duration elapsed(platform::MonotonicTime since) const { return clock.now() - since; }

    platform::sim::VirtualClock clock;
    platform::sim::VirtualRunLoop loop{clock};
    platform::sim::SimulatedDesktop desktop;
};

} // namespace TestSupport
