#pragma once

#include "tests/support/SampleDesktops.h"
#include "tests/support/VirtualDesktop.h"

#include <string>

namespace ScanTestSupport {

using TestSupport::readFile;

inline std::string sampleDesktopJson(const std::string& name) {
    return SampleDesktops::sampleDesktopText(name);
}

// A simulated desktop from JSON text, on a virtual clock and loop.
using Desktop = TestSupport::VirtualDesktop;

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
