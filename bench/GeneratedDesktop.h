#pragma once

#include <cstddef>
#include <string>

// A desktop description of one notched display crowded with `count` status items,
// `itemsPerApp` per application, each named: for benchmarks that grow with the number of items.
inline std::string generatedDesktop(std::size_t count, std::size_t itemsPerApp = 2) {
    std::string apps;
    std::string items;
    for (std::size_t index = 0; index < count; ++index) {
        const std::string pid = std::to_string(1000 + index / itemsPerApp);
        if (index % itemsPerApp == 0) {
            apps += std::string(apps.empty() ? "" : ",") + R"({"pid": )" + pid +
                    R"(, "name": "App )" + pid + R"(", "bundleIdentifier": "com.example.app)" +
                    pid + R"(", "activationPolicy": "accessory"})";
        }
        items += std::string(items.empty() ? "" : ",") + R"({"id": "item-)" +
                 std::to_string(index) + R"(", "pid": )" + pid +
                 R"(, "width": 24, "attributes": {"AXDescription": "Item )" +
                 std::to_string(index) + R"("}})";
    }
    return R"({"name": "generated", "displays": [{"id": 1, "name": "Built-in Retina Display",)"
           R"( "frame": {"x": 0, "y": 0, "width": 1512, "height": 982},)"
           R"( "notch": {"width": 200, "height": 32}}],)"
           R"( "ownProcess": {"pid": 100, "name": "Tessaline", "activationPolicy": "accessory"},)"
           R"( "apps": [)" +
           apps + R"(], "statusItems": [)" + items + "]}";
}
