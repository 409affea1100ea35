#pragma once

#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/VirtualRunLoop.h"

#include <fstream>
#include <sstream>

namespace platform::sim {

inline std::string readDesktopFile(const std::string& name) {
    std::ifstream file(std::string(TESSALINE_DESKTOPS_DIR) + "/" + name + ".json");
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// A sample desktop on a virtual clock and loop.
struct VirtualDesktop {
    explicit VirtualDesktop(const std::string& name = "notched-crowded")
        : desktop(std::get<DesktopDescription>(parseDesktopDescription(readDesktopFile(name))),
                  loop) {}

    VirtualClock clock;
    VirtualRunLoop loop{clock};
    SimulatedDesktop desktop;
};

} // namespace platform::sim
