#pragma once

#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/VirtualRunLoop.h"

#include <fstream>
#include <sstream>
#include <string>

namespace ScanTestSupport {

inline std::string readFile(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

inline std::string sampleDesktopJson(const std::string& name) {
    return readFile(std::string(TESSALINE_DESKTOPS_DIR) + "/" + name + ".json");
}

// A simulated desktop from JSON text, on a virtual clock and loop.
struct Desktop {
    explicit Desktop(const std::string& json)
        : desktop(std::get<platform::sim::DesktopDescription>(
                      platform::sim::parseDesktopDescription(json)),
                  loop) {}

    platform::sim::VirtualClock clock;
    platform::sim::VirtualRunLoop loop{clock};
    platform::sim::SimulatedDesktop desktop;
};

// A one-display notched desktop with the given apps and status items (JSON array texts).
inline std::string notchedDesktopJson(const std::string& apps, const std::string& statusItems,
                                      const std::string& extra = "") {
    return R"({"name": "test", "displays": [{"id": 1, "name": "Built-in Retina Display",
               "frame": {"x": 0, "y": 0, "width": 1512, "height": 982},
               "notch": {"width": 200, "height": 32}}],
               "ownProcess": {"pid": 100, "name": "Tessaline",
                              "bundleIdentifier": "app.tessaline.Tessaline",
                              "activationPolicy": "accessory"},
               "apps": )" +
           apps + R"(, "statusItems": )" + statusItems + extra + "}";
}

} // namespace ScanTestSupport
