#pragma once

#include "tests/support/VirtualDesktop.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <string>

// The sample desktop descriptions of desktops/, as text or as JSON that a test may edit before it
// builds a simulated desktop. The test target defines TESSALINE_DESKTOPS_DIR.
namespace SampleDesktops {

inline std::string sampleDesktopText(const std::string& name = "notched-crowded") {
    return TestSupport::readFile(std::string(TESSALINE_DESKTOPS_DIR) + "/" + name + ".json");
}

inline nlohmann::json sampleDesktop(const std::string& name = "notched-crowded") {
    return nlohmann::json::parse(sampleDesktopText(name));
}

// The status item of a description with the desktop's id `id`.
inline nlohmann::json& statusItem(nlohmann::json& description, const std::string& id) {
    auto& items = description["statusItems"];
    return *std::find_if(items.begin(), items.end(),
                         [&](const auto& item) { return item["id"] == id; });
}

} // namespace SampleDesktops
