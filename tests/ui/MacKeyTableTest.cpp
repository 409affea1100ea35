#include "platform/qt/MacKeyTable.h"
#include "tests/support/UiTestApplication.h"

#include <QKeyEvent>

#include <gtest/gtest.h>

namespace {

using namespace platform::qt;
using Type = MacKeyEvent::Type;
using platform::CGKeyCode;

constexpr std::uint64_t shift = NSEventModifierFlagShift;
constexpr std::uint64_t command = NSEventModifierFlagCommand;
constexpr std::uint64_t option = NSEventModifierFlagOption;
constexpr std::uint64_t control = NSEventModifierFlagControl;
constexpr std::uint64_t numericPad = NSEventModifierFlagNumericPad;
constexpr std::uint64_t function = NSEventModifierFlagFunction;

// X11 key symbols and key codes (Linux input code + 8) of the modifier keys.
constexpr quint32 shiftLeftSymbol = 0xFFE1, shiftRightSymbol = 0xFFE2;
constexpr quint32 controlRightSymbol = 0xFFE4, altRightSymbol = 0xFFEA;
constexpr quint32 superLeftSymbol = 0xFFEB;
constexpr quint32 shiftRightScanCode = 62, controlRightScanCode = 105, altLeftScanCode = 64;

struct Press {
    Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, QString text = {},
          quint32 scanCode = 0, quint32 keySymbol = 0, QEvent::Type type = QEvent::KeyPress)
        : key(key), modifiers(modifiers), text(std::move(text)), scanCode(scanCode),
          keySymbol(keySymbol), type(type) {}

    int key;
    Qt::KeyboardModifiers modifiers;
    QString text;
    quint32 scanCode;
    quint32 keySymbol;
    QEvent::Type type;
};

std::optional<MacKeyEvent> translated(const Press& press) {
    // Key events name the application's keyboard device.
    tessaline::testing::uiTestApplication();
    const QKeyEvent event(press.type, press.key, press.modifiers, press.scanCode, press.keySymbol,
                          0, press.text);
    return MacKeyTable::translate(event);
}

TEST(MacKeyTable, KeysGiveUSAnsiKeyCodesFlagsAndCharacters) {
    const struct {
        const char* name;
        Press press;
        CGKeyCode keyCode;
        std::uint64_t flags;
        std::string characters;
        std::string ignoringModifiers;
    } rows[] = {
        {"letter", {Qt::Key_A, Qt::NoModifier, "a"}, 0, 0, "a", "a"},
        {"shifted letter", {Qt::Key_A, Qt::ShiftModifier, "A"}, 0, shift, "A", "A"},
        {"W", {Qt::Key_W, Qt::NoModifier, "w"}, 13, 0, "w", "w"},
        {"Ctrl is Command", {Qt::Key_W, Qt::ControlModifier, "\x17"}, 13, command, "w", "w"},
        {"Ctrl-Shift is Command-Shift",
         {Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier, "\x17"},
         13,
         command | shift,
         "W",
         "W"},
        {"Alt is Option", {Qt::Key_K, Qt::AltModifier, "k"}, 40, option, "k", "k"},
        {"Meta is Control", {Qt::Key_A, Qt::MetaModifier, "a"}, 0, control, "\x01", "a"},
        {"digit", {Qt::Key_1, Qt::NoModifier, "1"}, 18, 0, "1", "1"},
        {"shifted digit", {Qt::Key_Exclam, Qt::ShiftModifier, "!"}, 18, shift, "!", "!"},
        {"backslash", {Qt::Key_Backslash, Qt::NoModifier, "\\"}, 42, 0, "\\", "\\"},
        {"grave", {Qt::Key_QuoteLeft, Qt::NoModifier, "`"}, 50, 0, "`", "`"},
        {"keypad digit", {Qt::Key_7, Qt::KeypadModifier, "7"}, 89, numericPad, "7", "7"},
        {"keypad plus", {Qt::Key_Plus, Qt::KeypadModifier, "+"}, 69, numericPad, "+", "+"},
        {"plus on the main keys", {Qt::Key_Plus, Qt::ShiftModifier, "+"}, 24, shift, "+", "+"},
        {"Return", {Qt::Key_Return, Qt::NoModifier, "\r"}, 36, 0, "\r", "\r"},
        {"keypad Enter", {Qt::Key_Enter, Qt::KeypadModifier, "\r"}, 76, numericPad, "\x03", "\x03"},
        {"Tab", {Qt::Key_Tab, Qt::NoModifier, "\t"}, 48, 0, "\t", "\t"},
        {"Shift-Tab", {Qt::Key_Backtab, Qt::ShiftModifier}, 48, shift, "\x19", "\t"},
        {"Escape", {Qt::Key_Escape, Qt::NoModifier, "\x1b"}, 53, 0, "\x1b", "\x1b"},
        {"Backspace is Delete", {Qt::Key_Backspace}, 51, 0, "\x7f", "\x7f"},
        {"Delete is forward delete", {Qt::Key_Delete}, 117, function, "\uF728", "\uF728"},
        {"Space", {Qt::Key_Space, Qt::NoModifier, " "}, 49, 0, " ", " "},
        {"up arrow", {Qt::Key_Up}, 126, function | numericPad, "\uF700", "\uF700"},
        {"left arrow with Command",
         {Qt::Key_Left, Qt::ControlModifier},
         123,
         command | function | numericPad,
         "\uF702",
         "\uF702"},
        {"F1", {Qt::Key_F1}, 122, function, "\uF704", "\uF704"},
        {"F12", {Qt::Key_F12}, 111, function, "\uF70F", "\uF70F"},
        {"a key the US keyboard lacks",
         {Qt::Key_Eacute, Qt::NoModifier, "é"},
         unknownKeyCode,
         0,
         "é",
         "é"},
    };
    for (const auto& row : rows) {
        const auto event = translated(row.press);
        ASSERT_TRUE(event) << row.name;
        EXPECT_EQ(event->type, Type::keyDown) << row.name;
        EXPECT_EQ(event->keyCode, row.keyCode) << row.name;
        EXPECT_EQ(event->modifierFlags, row.flags) << row.name;
        EXPECT_EQ(event->characters, row.characters) << row.name;
        EXPECT_EQ(event->charactersIgnoringModifiers, row.ignoringModifiers) << row.name;
    }
}

TEST(MacKeyTable, ModifierKeysKeepTheirSidesAndChangeFlags) {
    const struct {
        const char* name;
        Press press;
        CGKeyCode keyCode;
        std::uint64_t flags;
    } rows[] = {
        {"left Shift by symbol",
         {Qt::Key_Shift, Qt::NoModifier, {}, 50, shiftLeftSymbol},
         56,
         shift},
        {"right Shift by symbol",
         {Qt::Key_Shift, Qt::NoModifier, {}, 0, shiftRightSymbol},
         60,
         shift},
        {"right Shift by scan code",
         {Qt::Key_Shift, Qt::NoModifier, {}, shiftRightScanCode, 0},
         60,
         shift},
        {"Shift without native codes is the left one", {Qt::Key_Shift}, 56, shift},
        {"left Ctrl is left Command", {Qt::Key_Control, Qt::NoModifier, {}, 37, 0}, 55, command},
        {"right Ctrl is right Command by symbol",
         {Qt::Key_Control, Qt::NoModifier, {}, 0, controlRightSymbol},
         54,
         command},
        {"right Ctrl is right Command by scan code",
         {Qt::Key_Control, Qt::NoModifier, {}, controlRightScanCode, 0},
         54,
         command},
        {"left Alt is left Option",
         {Qt::Key_Alt, Qt::NoModifier, {}, altLeftScanCode, 0},
         58,
         option},
        {"right Alt is right Option",
         {Qt::Key_Alt, Qt::NoModifier, {}, 0, altRightSymbol},
         61,
         option},
        {"AltGr is right Option", {Qt::Key_AltGr}, 61, option},
        {"left Super is left Control",
         {Qt::Key_Super_L, Qt::NoModifier, {}, 0, superLeftSymbol},
         59,
         control},
        {"right Super is right Control", {Qt::Key_Super_R}, 62, control},
        {"second Shift while one is held",
         {Qt::Key_Shift, Qt::ShiftModifier, {}, 0, shiftRightSymbol},
         60,
         shift},
        {"Shift going up",
         {Qt::Key_Shift, Qt::ShiftModifier, {}, 0, shiftLeftSymbol, QEvent::KeyRelease},
         56,
         0},
        {"Option going up with Command held",
         {Qt::Key_Alt,
          Qt::AltModifier | Qt::ControlModifier,
          {},
          0,
          altRightSymbol,
          QEvent::KeyRelease},
         61,
         command},
    };
    for (const auto& row : rows) {
        const auto event = translated(row.press);
        ASSERT_TRUE(event) << row.name;
        EXPECT_EQ(event->type, Type::flagsChanged) << row.name;
        EXPECT_EQ(event->keyCode, row.keyCode) << row.name;
        EXPECT_EQ(event->modifierFlags, row.flags) << row.name;
        EXPECT_TRUE(event->characters.empty()) << row.name;
    }
}

TEST(MacKeyTable, ReleasesAndRepeatsKeepTheirKind) {
    Press release{Qt::Key_A, Qt::NoModifier, "a"};
    release.type = QEvent::KeyRelease;
    EXPECT_EQ(translated(release)->type, Type::keyUp);
    tessaline::testing::uiTestApplication();
    const QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier, QString(), true);
    EXPECT_TRUE(MacKeyTable::translate(repeat)->isARepeat);
    EXPECT_FALSE(translated({Qt::Key_unknown}));
    const QKeyEvent shortcut(QEvent::ShortcutOverride, Qt::Key_A, Qt::ControlModifier);
    EXPECT_FALSE(MacKeyTable::translate(shortcut));
}

TEST(MacKeyTable, ModifierFlagsOfQtModifiers) {
    EXPECT_EQ(MacKeyTable::modifierFlags(Qt::NoModifier), 0u);
    EXPECT_EQ(MacKeyTable::modifierFlags(Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier |
                                         Qt::ShiftModifier),
              command | option | control | shift);
    EXPECT_EQ(MacKeyTable::modifierFlags(Qt::KeypadModifier), numericPad);
}

} // namespace
