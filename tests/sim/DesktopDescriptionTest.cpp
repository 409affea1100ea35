#include "SimTestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace platform::sim {
namespace {

TEST(DesktopDescription, MalformedDescriptionsNameTheField) {
    struct Row {
        const char* name;
        std::string json;
        std::string field;
    };
    const std::string display =
        R"({"id": 1, "name": "D", "frame": {"x": 0, "y": 0, "width": 1512, "height": 982}})";
    auto desktop = [&](const std::string& displays, const std::string& items,
                       const std::string& timeline = "[]") {
        return R"({"name": "t", "displays": )" + displays +
               R"(, "ownProcess": {"pid": 100}, "apps": [{"pid": 200, "name": "A"}], )" +
               R"("statusItems": )" + items + R"(, "timeline": )" + timeline + "}";
    };
    const std::vector<Row> rows = {
        {"not JSON", "{", "(document)"},
        {"not an object", "[1]", "(document)"},
        {"missing displays", R"({"name": "t"})", "displays"},
        {"width is text",
         desktop("[" + display + "]", R"([{"id": "a", "pid": 200, "width": "x"}])"),
         "statusItems[0].width"},
        {"negative width",
         desktop("[" + display + "]", R"([{"id": "a", "pid": 200, "width": -3}])"),
         "statusItems[0].width"},
        {"unknown owner", desktop("[" + display + "]", R"([{"id": "a", "pid": 999, "width": 30}])"),
         "statusItems[0].pid"},
        {"pid out of range",
         desktop("[" + display + "]", R"([{"id": "a", "pid": 1e30, "width": 30}])"),
         "statusItems[0].pid"},
        {"no primary display",
         desktop(
             R"([{"id": 1, "name": "D", "frame": {"x": 5, "y": 0, "width": 10, "height": 10}}])",
             "[]"),
         "displays"},
        {"unknown notification",
         desktop(
             "[" + display + "]",
             R"([{"id": "a", "pid": 200, "width": 30, "menu": {"opensOn": [], "notification": "AXNope"}}])"),
         "statusItems[0].menu.notification"},
        {"a display id used twice", desktop("[" + display + "," + display + "]", "[]"),
         "displays[1].id"},
        {"a display id used twice in a change of displays",
         desktop("[" + display + "]", "[]",
                 R"([{"atMs": 5, "event": "displays", "displays": [)" + display + "," + display +
                     "]}]"),
         "timeline[0].displays[1].id"},
        {"frame missing height",
         desktop(R"([{"id": 1, "name": "D", "frame": {"x": 0, "y": 0, "width": 10}}])", "[]"),
         "displays[0].frame.height"},
    };
    for (const Row& row : rows) {
        const DescriptionResult result = parseDesktopDescription(row.json);
        const auto* error = std::get_if<DescriptionError>(&result);
        ASSERT_NE(error, nullptr) << row.name;
        EXPECT_EQ(error->field, row.field) << row.name << ": " << error->text();
    }
}

TEST(DesktopDescription, SampleDesktopsAndTheDefaultParse) {
    for (const char* name : {"notched-crowded", "external-plain", "dual-display"}) {
        const DescriptionResult result = parseDesktopDescription(readDesktopFile(name));
        const auto* error = std::get_if<DescriptionError>(&result);
        EXPECT_EQ(error, nullptr) << name << ": " << (error ? error->text() : "");
    }
    const DesktopDescription builtIn = SimulatedDesktop::defaultDescription();
    EXPECT_EQ(builtIn.name, "notched-crowded");
    EXPECT_GE(builtIn.apps.size(), 30U);
    EXPECT_GE(builtIn.statusItems.size(), 40U);
}

TEST(DesktopDescription, JsonValuesKeepTheirLooseTypes) {
    const auto value = valueFromJson(nlohmann::json::parse(
        R"({"p": {"x": 1, "y": 2}, "s": {"width": 3, "height": 4}, "n": null, "t": "missing value"})"));
    EXPECT_EQ(value.find("p")->point(), (CGPoint{1, 2}));
    EXPECT_EQ(value.find("s")->size(), (CGSize{3, 4}));
    EXPECT_TRUE(value.find("n")->isAbsent());
    EXPECT_EQ(*value.find("t")->string(), "missing value");
    EXPECT_FALSE(value.find("t")->number());
}

} // namespace
} // namespace platform::sim
