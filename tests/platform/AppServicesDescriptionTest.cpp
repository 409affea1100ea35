#include "platform/sim/DesktopDescription.h"
#include "tests/support/SampleDesktops.h"

#include <gtest/gtest.h>

#include <variant>

namespace {

using namespace platform::sim;

TEST(AppServicesDescription, FieldsAreReadWithTheirDefaults) {
    const auto plain = parseDesktopDescription(SampleDesktops::sampleDesktopText());
    ASSERT_TRUE(std::holds_alternative<DesktopDescription>(plain));
    const AppServicesDescription& defaults = std::get<DesktopDescription>(plain).appServices;
    EXPECT_EQ(defaults.ownStatusItemPosition, 0u);
    EXPECT_TRUE(defaults.heldHotKeys.empty());
    EXPECT_FALSE(defaults.reduceMotion);

    nlohmann::json json = SampleDesktops::sampleDesktop();
    json["ownStatusItem"] = {{"position", 3}};
    json["heldHotKeys"] = {{{"pid", 201}, {"keyCode", 40}, {"modifiers", 0x900}}};
    json["appIcons"] = {{{"pid", 201}, {"path", "/icons/safari.png"}}};
    const auto described = parseDesktopDescription(json.dump());
    ASSERT_TRUE(std::holds_alternative<DesktopDescription>(described));
    const AppServicesDescription& services = std::get<DesktopDescription>(described).appServices;
    EXPECT_EQ(services.ownStatusItemPosition, 3u);
    ASSERT_EQ(services.heldHotKeys.size(), 1u);
    EXPECT_EQ(services.heldHotKeys[0].modifiers, 0x900u);
    EXPECT_EQ(services.appIcons.at(201), "/icons/safari.png");
}

TEST(AppServicesDescription, BadValuesAreRefusedWithTheirField) {
    struct Row {
        const char* name;
        const char* key;
        nlohmann::json value;
        const char* field;
    };
    const std::vector<Row> rows{
        {"negative position", "ownStatusItem", {{"position", -1}}, "ownStatusItem.position"},
        {"key code too large", "heldHotKeys",
         nlohmann::json::array({{{"pid", 201}, {"keyCode", 70000}, {"modifiers", 256}}}),
         "heldHotKeys[0].keyCode"},
        {"modifiers missing", "heldHotKeys",
         nlohmann::json::array({{{"pid", 201}, {"keyCode", 1}}}), "heldHotKeys[0].modifiers"},
        {"reduce motion not Boolean", "reduceMotion", "yes", "reduceMotion"},
        {"icon without path", "appIcons", nlohmann::json::array({{{"pid", 201}}}),
         "appIcons[0].path"},
    };
    for (const Row& row : rows) {
        nlohmann::json json = SampleDesktops::sampleDesktop();
        json[row.key] = row.value;
        const auto result = parseDesktopDescription(json.dump());
        ASSERT_TRUE(std::holds_alternative<DescriptionError>(result)) << row.name;
        EXPECT_EQ(std::get<DescriptionError>(result).field, row.field) << row.name;
    }
}

} // namespace
