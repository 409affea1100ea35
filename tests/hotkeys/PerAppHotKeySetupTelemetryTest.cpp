#include "Parlowen/Hotkeys/PerAppHotKeySetupTelemetry.h"

#include "tests/hotkeys/HotkeyTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using namespace Parlowen;
using namespace std::chrono_literals;
using Shape = PerAppHotKeyTelemetryShortcutShape;

TEST(PerAppHotKeySetupTelemetry, ShortcutShapes) {
    struct Row {
        const char* name;
        std::optional<PerAppHotKeyShortcut> shortcut;
        Shape expected;
    };
    const Row rows[] = {
        {"no chord", std::nullopt, Shape::other},
        // The A key is code 0, reported as modifier-only as it always was.
        {"A", PerAppHotKeyShortcut{0, platform::cmdKey}, Shape::modifierOnly},
        {"Z", PerAppHotKeyShortcut{6, platform::cmdKey}, Shape::withLetter},
        {"F20", PerAppHotKeyShortcut{90, platform::optionKey}, Shape::withFunctionKey},
        {"Space", PerAppHotKeyShortcut{49, platform::controlKey}, Shape::withSymbol},
        {"=", PerAppHotKeyShortcut{24, platform::shiftKey}, Shape::withSymbol},
        {"digit 1", PerAppHotKeyShortcut{18, platform::cmdKey}, Shape::other},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(PerAppHotKeySetupTelemetry::shortcutShape(row.shortcut), row.expected)
            << row.name;
    }
}

TEST(PerAppHotKeySetupTelemetry, SaveResultTagsAndDuration) {
    const auto item =
        HotkeyTesting::record("Zoom", "", QuickOpenTesting::VisibilityClassification::visible,
                              std::nullopt, "us.zoom.xos");
    const Date now = *ReferenceDate::fromSecondsSinceReferenceDate(800'000'000);
    const PerAppHotKeySetupTelemetry::Context context{PerAppHotKeyTelemetrySource::managerAdd,
                                                      "2.1", "app.tessaline.Tessaline"};
    struct Row {
        const char* name;
        PerAppHotKeyTelemetrySaveResult result;
        std::optional<std::string> conflictTarget;
        std::optional<Date> startedAt;
        const char* conflictTag;
        std::int64_t durationMs;
    };
    const Row rows[] = {
        {"replaced, rounded", PerAppHotKeyTelemetrySaveResult::replaced,
         "com.tinyspeck.slackmacgap", now - 1500us, "com.tinyspeck.slackmacgap", 2},
        {"conflict of an app without id", PerAppHotKeyTelemetrySaveResult::internalConflict,
         std::nullopt, now - 2s, "unknown", 2000},
        {"canceled never names a target", PerAppHotKeyTelemetrySaveResult::canceled, "x",
         std::nullopt, nullptr, 0},
        {"a start in the future", PerAppHotKeyTelemetrySaveResult::saved, std::nullopt, now + 1s,
         nullptr, 0},
    };
    for (const auto& row : rows) {
        const auto event = PerAppHotKeySetupTelemetry::saveResult(
            context, item, true,
            {row.result, PerAppHotKeyShortcut{40, platform::cmdKey}, row.conflictTarget,
             row.startedAt, now});
        EXPECT_EQ(event.name, "per_app_hotkey_save_result") << row.name;
        EXPECT_EQ(event.tags.at("surface"), "manager") << row.name;
        EXPECT_EQ(event.tags.at("targetAppBundleID"), "us.zoom.xos") << row.name;
        EXPECT_EQ(event.tags.at("identityVersion"), "v2") << row.name;
        EXPECT_EQ(event.tags.at("accessibility"), "granted") << row.name;
        EXPECT_EQ(event.tags.at("result"), QelCore::toString(row.result)) << row.name;
        if (row.conflictTag) {
            EXPECT_EQ(event.tags.at("conflictTargetAppBundleID"), row.conflictTag) << row.name;
        } else {
            EXPECT_EQ(event.tags.count("conflictTargetAppBundleID"), 0u) << row.name;
        }
        EXPECT_EQ(event.extras.at("durationMs"), row.durationMs) << row.name;
    }
}

} // namespace
