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

// Makes a status item one more Mail item (titled "Mail", of Mail's process) that opens on a
// click only, so that it shares the identity of the sample's visible Mail item.
inline void makeClickOnlyMailTwin(nlohmann::json& description, const std::string& id) {
    auto& item = statusItem(description, id);
    item["pid"] = 202;
    item["attributes"] = {{"AXTitle", "Mail"}};
    item["actions"] = nlohmann::json::array();
    item["menu"]["opensOn"] = {"click"};
}

} // namespace SampleDesktops
