#include "ui/Preferences/PreferencesKeyboardKey.h"
#include "platform/qt/MacKeyTable.h"
#include "tests/support/UiTestApplication.h"

#include <QKeyEvent>

#include <gtest/gtest.h>

#include <vector>

namespace {

struct KeyCase {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    QString text;
    PreferencesKeyboardKey expected;
    bool closesWindow = false;
};

platform::qt::MacKeyEvent macEvent(const KeyCase& each) {
    const QKeyEvent event(QEvent::KeyPress, each.key, each.modifiers, each.text);
    const auto mac = platform::qt::MacKeyTable::translate(event);
    EXPECT_TRUE(mac.has_value()) << each.name;
    return mac.value_or(platform::qt::MacKeyEvent{});
}

TEST(PreferencesKeyboardKeyTest, QtKeysTranslateToTheWindowVocabulary) {
    tessaline::testing::uiTestApplication();
    using enum PreferencesKeyboardKey;
    const std::vector<KeyCase> cases = {
        {"Tab", Qt::Key_Tab, Qt::NoModifier, "\t", tab},
        {"Backtab", Qt::Key_Backtab, Qt::ShiftModifier, {}, backTab},
        {"Shift+Tab", Qt::Key_Tab, Qt::ShiftModifier, "\t", backTab},
        {"Ctrl+Tab", Qt::Key_Tab, Qt::ControlModifier, {}, other},
        {"Alt+Tab", Qt::Key_Tab, Qt::AltModifier, {}, other},
        {"Up", Qt::Key_Up, Qt::NoModifier, {}, up},
        {"Down", Qt::Key_Down, Qt::NoModifier, {}, down},
        {"Return", Qt::Key_Return, Qt::NoModifier, "\r", enter},
        {"keypad Enter", Qt::Key_Enter, Qt::KeypadModifier, "\r", enter},
        {"Escape", Qt::Key_Escape, Qt::NoModifier, QString(QChar(0x1B)), escape},
        {"A", Qt::Key_A, Qt::NoModifier, "a", other},
        {"Ctrl+W", Qt::Key_W, Qt::ControlModifier, {}, other, true},
        {"Ctrl+Shift+W", Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier, {}, other, false},
        {"Ctrl+Alt+W", Qt::Key_W, Qt::ControlModifier | Qt::AltModifier, {}, other, false},
        {"Meta+Ctrl+W", Qt::Key_W, Qt::ControlModifier | Qt::MetaModifier, {}, other, false},
    };
    for (const auto& each : cases) {
        const auto mac = macEvent(each);
        EXPECT_EQ(PreferencesKeyboardKeys::translate(mac), each.expected) << each.name;
        EXPECT_EQ(platform::qt::isCloseWindowChord(mac), each.closesWindow) << each.name;
    }
}

TEST(PreferencesKeyboardKeyTest, EventWithoutCharactersIsOther) {
    platform::qt::MacKeyEvent empty;
    empty.keyCode = 48;
    EXPECT_EQ(PreferencesKeyboardKeys::translate(empty), PreferencesKeyboardKey::other);
}

} // namespace
