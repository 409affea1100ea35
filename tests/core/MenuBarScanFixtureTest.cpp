#include "core/MenuBarScanFixture.h"
#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

using namespace QelCore;
using Kind = MenuBarScanFixtureError::Kind;

const std::string screenJson = R"({
    "id": "Built-in Retina Display#0",
    "frame": {"x": 0, "y": 0, "width": 1512, "height": 982},
    "visibleFrame": {"x": 0, "y": 0, "width": 1512, "height": 944},
    "safeAreaInsets": {"top": 38, "left": 0, "bottom": 0, "right": 0},
    "auxiliaryTopLeftArea": {"x": 0, "y": 944, "width": 662, "height": 38},
    "auxiliaryTopRightArea": {"x": 850, "y": 944, "width": 662, "height": 38.5}
})";

const std::string minimalItem =
    R"({"title": "Wi-Fi", "frame": {"x": 1400, "y": 944, "width": 30, "height": 38},
        "expectedVisibility": "visible"})";

// A document with one item whose keys after the required ones are `extraKeys`.
std::string documentWithItem(const std::string& extraKeys) {
    return R"({"screen": )" + screenJson +
           R"(, "items": [{"title": "Wi-Fi", "expectedVisibility": "visible",
           "frame": {"x": 1400, "y": 944, "width": 30, "height": 38})" +
           extraKeys + "}]}";
}

FixtureMenuBarItem onlyItem(const MenuBarScanFixture::LoadResult& result) {
    return std::get<MenuBarScanFixture>(result).items.at(0);
}

TEST(MenuBarScanFixture, DecodesScreenAndItemDefaults) {
    const auto result =
        MenuBarScanFixture::decode(R"({"comment": "ignored", "screen": )" + screenJson +
                                   R"(, "items": [)" + minimalItem + "]}");
    ASSERT_TRUE(std::holds_alternative<MenuBarScanFixture>(result));
    const auto& fixture = std::get<MenuBarScanFixture>(result);
    EXPECT_EQ(fixture.screen, (ScreenSnapshot{"Built-in Retina Display#0",
                                              {0, 0, 1512, 982},
                                              {0, 0, 1512, 944},
                                              {38, 0, 0, 0},
                                              {0, 944, 662, 38},
                                              {850, 944, 662, 38.5}}));
    FixtureMenuBarItem expected;
    expected.role = "AXMenuBarItem";
    expected.title = "Wi-Fi";
    expected.snapshot = {"Wi-Fi", {1400, 944, 30, 38}};
    expected.expectedVisibility = VisibilityClassification::visible;
    EXPECT_EQ(fixture.items, std::vector<FixtureMenuBarItem>{expected});
}

TEST(MenuBarScanFixture, DecodesEveryItemField) {
    const auto item = onlyItem(MenuBarScanFixture::decode(documentWithItem(
        R"(, "appName": "Control Center", "pid": 412, "role": "AXMenuBarItem",
        "subrole": "AXMenuExtra", "actions": ["AXPress", "AXShowMenu"],
        "sourceHint": "menuExtra", "note": {"nested": [1, 2]})")));
    EXPECT_EQ(item.appName, "Control Center");
    EXPECT_EQ(item.pid, 412);
    EXPECT_EQ(item.subrole, "AXMenuExtra");
    EXPECT_EQ(item.actions, (std::vector<std::string>{"AXPress", "AXShowMenu"}));
    EXPECT_EQ(item.sourceHint, FixtureMenuBarItemSourceHint::menuExtra);
    EXPECT_EQ(item.snapshot.title, item.title);
}

TEST(MenuBarScanFixture, NullOptionalsTakeDefaults) {
    const auto item = onlyItem(MenuBarScanFixture::decode(documentWithItem(
        R"(, "appName": null, "pid": null, "role": null, "subrole": null, "actions": null,
        "sourceHint": null)")));
    EXPECT_EQ(item.appName, "");
    EXPECT_EQ(item.pid, 0);
    EXPECT_EQ(item.role, "AXMenuBarItem");
    EXPECT_EQ(item.subrole, std::nullopt);
    EXPECT_TRUE(item.actions.empty());
    EXPECT_EQ(item.sourceHint, FixtureMenuBarItemSourceHint::unknown);
}

TEST(MenuBarScanFixture, WholeNumberPidsOnly) {
    struct Row {
        std::string name;
        std::string pid;
        std::optional<std::int32_t> expected;
        // Numbers beyond a double's range are refused by the JSON parser itself.
        std::string errorPath = "items[0].pid";
    };
    const Row rows[] = {
        {"integer", "4242", 4242},
        {"negative", "-1", -1},
        {"whole float", "77.0", 77},
        {"largest", "2147483647", 2147483647},
        {"fraction", "12.5", std::nullopt},
        {"past 32 bits", "2147483648", std::nullopt},
        {"below 32 bits", "-2147483649", std::nullopt},
        {"past 64 bits", "18446744073709551616", std::nullopt},
        {"exponent overflow", "1e400", std::nullopt, ""},
        {"huge float", "1e30", std::nullopt},
    };
    for (const auto& row : rows) {
        const auto result = MenuBarScanFixture::decode(documentWithItem(R"(, "pid": )" + row.pid));
        if (row.expected) {
            ASSERT_TRUE(std::holds_alternative<MenuBarScanFixture>(result)) << row.name;
            EXPECT_EQ(onlyItem(result).pid, *row.expected) << row.name;
        } else {
            ASSERT_TRUE(std::holds_alternative<MenuBarScanFixtureError>(result)) << row.name;
            const auto& error = std::get<MenuBarScanFixtureError>(result);
            EXPECT_EQ(error.kind, Kind::dataCorrupted) << row.name;
            EXPECT_EQ(error.codingPath, row.errorPath) << row.name;
        }
    }
}

TEST(MenuBarScanFixture, DecodingErrorsNameTheKey) {
    struct Row {
        std::string name;
        std::string document;
        Kind kind;
        std::string codingPath;
    };
    const std::string items = R"(, "items": [)" + minimalItem + "]}";
    const Row rows[] = {
        {"not json", "{\"screen\": ", Kind::dataCorrupted, ""},
        {"empty document", "", Kind::dataCorrupted, ""},
        {"top level is an array", "[]", Kind::typeMismatch, ""},
        {"no items", R"({"screen": )" + screenJson + "}", Kind::keyNotFound, "items"},
        {"no screen", R"({"items": []})", Kind::keyNotFound, "screen"},
        {"items not an array", R"({"screen": )" + screenJson + R"(, "items": {}})",
         Kind::typeMismatch, "items"},
        {"screen id a number", R"({"screen": {"id": 1}, "items": []})", Kind::typeMismatch,
         "screen.id"},
        {"inset missing",
         R"({"screen": )" +
             std::string(screenJson).replace(screenJson.find(R"(, "right": 0)"), 12, "") + items,
         Kind::keyNotFound, "screen.safeAreaInsets.right"},
        {"missing title",
         R"({"screen": )" + screenJson +
             R"(, "items": [{"frame": {"x": 1, "y": 2, "width": 3, "height": 4},
                              "expectedVisibility": "visible"}]})",
         Kind::keyNotFound, "items[0].title"},
        {"null title",
         documentWithItem("").replace(documentWithItem("").find("\"Wi-Fi\""), 7, "null"),
         Kind::valueNotFound, "items[0].title"},
        {"missing frame width",
         R"({"screen": )" + screenJson +
             R"(, "items": [{"title": "", "frame": {"x": 1, "y": 2,
                                    "height": 4}, "expectedVisibility": "visible"}]})",
         Kind::keyNotFound, "items[0].frame.width"},
        {"frame height a string",
         R"({"screen": )" + screenJson +
             R"(, "items": [{"title": "", "frame": {"x": 1, "y": 2,
                                      "width": 3, "height": "4"}, "expectedVisibility": "visible"}]})",
         Kind::typeMismatch, "items[0].frame.height"},
        {"frame x a boolean",
         R"({"screen": )" + screenJson +
             R"(, "items": [{"title": "", "frame": {"x": true, "y": 2,
                                  "width": 3, "height": 4}, "expectedVisibility": "visible"}]})",
         Kind::typeMismatch, "items[0].frame.x"},
        {"missing expected visibility",
         R"({"screen": )" + screenJson +
             R"(, "items": [{"title": "", "frame": {"x": 1, "y": 2,
                                            "width": 3, "height": 4}}]})",
         Kind::keyNotFound, "items[0].expectedVisibility"},
        {"visibility not in its list",
         documentWithItem("").replace(documentWithItem("").find("\"visible\""), 9, "\"Visible\""),
         Kind::dataCorrupted, "items[0].expectedVisibility"},
        {"capitalized source hint", documentWithItem(R"(, "sourceHint": "MenuExtra")"),
         Kind::dataCorrupted, "items[0].sourceHint"},
        {"app name a number", documentWithItem(R"(, "appName": 3)"), Kind::typeMismatch,
         "items[0].appName"},
        {"pid a string", documentWithItem(R"(, "pid": "12")"), Kind::typeMismatch, "items[0].pid"},
        {"actions a string", documentWithItem(R"(, "actions": "AXPress")"), Kind::typeMismatch,
         "items[0].actions"},
        {"null action", documentWithItem(R"(, "actions": ["AXPress", null])"), Kind::valueNotFound,
         "items[0].actions[1]"},
        {"item not an object",
         R"({"screen": )" + screenJson + R"(, "items": [)" + minimalItem + ", 5]}",
         Kind::typeMismatch, "items[1]"},
    };
    for (const auto& row : rows) {
        const auto result = MenuBarScanFixture::decode(row.document);
        ASSERT_TRUE(std::holds_alternative<MenuBarScanFixtureError>(result)) << row.name;
        const auto& error = std::get<MenuBarScanFixtureError>(result);
        EXPECT_EQ(error.kind, row.kind) << row.name << ": " << error.message;
        EXPECT_EQ(error.codingPath, row.codingPath) << row.name << ": " << error.message;
    }
}

TEST(MenuBarScanFixture, KeyNotFoundMessageNamesTheKey) {
    const auto result = MenuBarScanFixture::decode(R"({"screen": )" + screenJson + "}");
    EXPECT_EQ(std::get<MenuBarScanFixtureError>(result).message,
              "No value associated with key \"items\".");
}

class MenuBarScanFixtureFile : public testing::Test {
protected:
    std::filesystem::path write(const std::string& name, const std::string& contents) {
        const auto path = folder.path() / name;
        std::ofstream(path, std::ios::binary) << contents;
        return path;
    }

    TemporaryFolder folder;
};

TEST_F(MenuBarScanFixtureFile, LoadsFromFile) {
    const auto path = write("empty.json", R"({"screen": )" + screenJson + R"(, "items": []})");
    const auto result = MenuBarScanFixture::load(path);
    ASSERT_TRUE(std::holds_alternative<MenuBarScanFixture>(result));
    EXPECT_TRUE(std::get<MenuBarScanFixture>(result).items.empty());
}

TEST_F(MenuBarScanFixtureFile, FileErrorsComeBackAsFileErrors) {
    const std::filesystem::path rows[] = {folder.path() / "absent.json", folder.path()};
    for (const auto& path : rows) {
        const auto result = MenuBarScanFixture::load(path);
        ASSERT_TRUE(std::holds_alternative<MenuBarScanFixtureError>(result)) << path;
        const auto& error = std::get<MenuBarScanFixtureError>(result);
        EXPECT_EQ(error.kind, Kind::fileReading) << path;
        EXPECT_NE(error.message.find(path.string()), std::string::npos) << error.message;
    }
}

TEST_F(MenuBarScanFixtureFile, DecodingErrorsFromFile) {
    const auto result = MenuBarScanFixture::load(write("broken.json", "{\"screen\": [1,"));
    ASSERT_TRUE(std::holds_alternative<MenuBarScanFixtureError>(result));
    EXPECT_EQ(std::get<MenuBarScanFixtureError>(result).kind, Kind::dataCorrupted);
}

} // namespace
