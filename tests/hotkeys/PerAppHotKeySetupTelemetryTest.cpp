#include "Parlowen/Hotkeys/PerAppHotKeySetupTelemetry.h"

#include <gtest/gtest.h>

namespace {

using namespace Parlowen;
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

} // namespace
