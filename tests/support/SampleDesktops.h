#pragma once

#include <nlohmann/json.hpp>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

// The sample desktop descriptions of desktops/, as JSON that a test may edit before it builds a
// simulated desktop. The test target defines TESSALINE_DESKTOPS_DIR.
namespace SampleDesktops {

inline nlohmann::json sampleDesktop(const std::string& name = "notched-crowded") {
    std::ifstream file(std::string(TESSALINE_DESKTOPS_DIR) + "/" + name + ".json");
    std::stringstream text;
    text << file.rdbuf();
    return nlohmann::json::parse(text.str());
}

// The status item of a description with the desktop's id `id`.
inline nlohmann::json& statusItem(nlohmann::json& description, const std::string& id) {
    auto& items = description["statusItems"];
    return *std::find_if(items.begin(), items.end(),
                         [&](const auto& item) { return item["id"] == id; });
}

} // namespace SampleDesktops
