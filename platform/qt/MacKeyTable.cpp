#include "platform/qt/MacKeyTable.h"

#include <QKeyEvent>
#include <QString>

#include <linux/input-event-codes.h>

#include <algorithm>
#include <array>
#include <cctype>

namespace platform::qt::MacKeyTable {

namespace {

// A key of the US ANSI keyboard that types a character: its key code, the character and the
// character with Shift.
struct TypingKey {
    CGKeyCode keyCode;
    char base;
    char shifted;
};

constexpr std::array<TypingKey, 47> typingKeys = {{
    {0, 'a', 'A'},   {1, 's', 'S'},  {2, 'd', 'D'},   {3, 'f', 'F'},  {4, 'h', 'H'},
    {5, 'g', 'G'},   {6, 'z', 'Z'},  {7, 'x', 'X'},   {8, 'c', 'C'},  {9, 'v', 'V'},
    {11, 'b', 'B'},  {12, 'q', 'Q'}, {13, 'w', 'W'},  {14, 'e', 'E'}, {15, 'r', 'R'},
    {16, 'y', 'Y'},  {17, 't', 'T'}, {18, '1', '!'},  {19, '2', '@'}, {20, '3', '#'},
    {21, '4', '$'},  {22, '6', '^'}, {23, '5', '%'},  {24, '=', '+'}, {25, '9', '('},
    {26, '7', '&'},  {27, '-', '_'}, {28, '8', '*'},  {29, '0', ')'}, {30, ']', '}'},
    {31, 'o', 'O'},  {32, 'u', 'U'}, {33, '[', '{'},  {34, 'i', 'I'}, {35, 'p', 'P'},
    {37, 'l', 'L'},  {38, 'j', 'J'}, {39, '\'', '"'}, {40, 'k', 'K'}, {41, ';', ':'},
    {42, '\\', '|'}, {43, ',', '<'}, {44, '/', '?'},  {45, 'n', 'N'}, {46, 'm', 'M'},
    {47, '.', '>'},  {50, '`', '~'},
}};

// The keys of the numeric keypad, by the character they type.
constexpr std::array<std::pair<char, CGKeyCode>, 16> keypadKeys = {{
    {'0', 82},
    {'1', 83},
    {'2', 84},
    {'3', 85},
    {'4', 86},
    {'5', 87},
    {'6', 88},
    {'7', 89},
    {'8', 91},
    {'9', 92},
    {'.', 65},
    {'*', 67},
    {'+', 69},
    {'/', 75},
    {'-', 78},
    {'=', 81},
}};

// Keys that type no printable character: key code, the AppKit character (a function-key
// character from U+F700 on, or a control character) and extra flags that AppKit sets on them.
struct SpecialKey {
    Qt::Key key;
    CGKeyCode keyCode;
    char32_t character;
    std::uint64_t flags;
};

constexpr std::uint64_t function = NSEventModifierFlagFunction;
constexpr std::uint64_t arrow = NSEventModifierFlagFunction | NSEventModifierFlagNumericPad;

constexpr std::array<SpecialKey, 38> specialKeys = {{
    {Qt::Key_Return, 36, U'\r', 0},
    {Qt::Key_Enter, 76, 0x03, NSEventModifierFlagNumericPad},
    {Qt::Key_Tab, 48, U'\t', 0},
    {Qt::Key_Backtab, 48, U'\t', NSEventModifierFlagShift},
    {Qt::Key_Space, 49, U' ', 0},
    {Qt::Key_Backspace, 51, 0x7F, 0},
    {Qt::Key_Escape, 53, 0x1B, 0},
    {Qt::Key_Up, 126, 0xF700, arrow},
    {Qt::Key_Down, 125, 0xF701, arrow},
    {Qt::Key_Left, 123, 0xF702, arrow},
    {Qt::Key_Right, 124, 0xF703, arrow},
    {Qt::Key_F1, 122, 0xF704, function},
    {Qt::Key_F2, 120, 0xF705, function},
    {Qt::Key_F3, 99, 0xF706, function},
    {Qt::Key_F4, 118, 0xF707, function},
    {Qt::Key_F5, 96, 0xF708, function},
    {Qt::Key_F6, 97, 0xF709, function},
    {Qt::Key_F7, 98, 0xF70A, function},
    {Qt::Key_F8, 100, 0xF70B, function},
    {Qt::Key_F9, 101, 0xF70C, function},
    {Qt::Key_F10, 109, 0xF70D, function},
    {Qt::Key_F11, 103, 0xF70E, function},
    {Qt::Key_F12, 111, 0xF70F, function},
    {Qt::Key_F13, 105, 0xF710, function},
    {Qt::Key_F14, 107, 0xF711, function},
    {Qt::Key_F15, 113, 0xF712, function},
    {Qt::Key_F16, 106, 0xF713, function},
    {Qt::Key_F17, 64, 0xF714, function},
    {Qt::Key_F18, 79, 0xF715, function},
    {Qt::Key_F19, 80, 0xF716, function},
    {Qt::Key_F20, 90, 0xF717, function},
    {Qt::Key_Insert, 114, 0xF746, function},
    {Qt::Key_Delete, 117, 0xF728, function},
    {Qt::Key_Home, 115, 0xF729, function},
    {Qt::Key_End, 119, 0xF72B, function},
    {Qt::Key_PageUp, 116, 0xF72C, function},
    {Qt::Key_PageDown, 121, 0xF72D, function},
    {Qt::Key_Clear, 71, 0xF739, NSEventModifierFlagNumericPad},
}};

// A modifier key: the flag it holds and the key codes of its left and right key.
struct ModifierKey {
    std::uint64_t flag;
    CGKeyCode left;
    CGKeyCode right;
};

constexpr ModifierKey shiftKey{NSEventModifierFlagShift, 56, 60};
constexpr ModifierKey commandKey{NSEventModifierFlagCommand, 55, 54};
constexpr ModifierKey optionKey{NSEventModifierFlagOption, 58, 61};
constexpr ModifierKey controlKey{NSEventModifierFlagControl, 59, 62};
constexpr ModifierKey capsLockKey{NSEventModifierFlagCapsLock, 57, 57};

// X11 key symbols of the right-hand modifier keys (Shift_R, Control_R, Meta_R, Alt_R, Super_R,
// ISO_Level3_Shift) and of the left-hand ones.
constexpr std::array<quint32, 6> rightKeySymbols = {0xFFE2, 0xFFE4, 0xFFE8, 0xFFEA, 0xFFEC, 0xFE03};
constexpr std::array<quint32, 5> leftKeySymbols = {0xFFE1, 0xFFE3, 0xFFE7, 0xFFE9, 0xFFEB};
// Linux input codes of the right-hand modifier keys; X11 key codes are these plus 8.
constexpr std::array<quint32, 4> rightScanCodes = {KEY_RIGHTSHIFT, KEY_RIGHTCTRL, KEY_RIGHTALT,
                                                   KEY_RIGHTMETA};
constexpr quint32 x11KeycodeOffset = 8;

template <typename Table> bool holds(const Table& table, quint32 value) {
    return std::find(table.begin(), table.end(), value) != table.end();
}

bool isRightSide(const QKeyEvent& event) {
    const quint32 symbol = event.nativeVirtualKey();
    if (holds(rightKeySymbols, symbol)) {
        return true;
    }
    if (holds(leftKeySymbols, symbol)) {
        return false;
    }
    const quint32 scanCode = event.nativeScanCode();
    return scanCode > x11KeycodeOffset && holds(rightScanCodes, scanCode - x11KeycodeOffset);
}

struct PressedModifier {
    ModifierKey key;
    bool right;
};

std::optional<PressedModifier> pressedModifier(const QKeyEvent& event) {
    const bool right = isRightSide(event);
    switch (event.key()) {
    case Qt::Key_Shift:
        return PressedModifier{shiftKey, right};
    case Qt::Key_Control:
        return PressedModifier{commandKey, right};
    case Qt::Key_Alt:
        return PressedModifier{optionKey, right};
    case Qt::Key_AltGr:
        return PressedModifier{optionKey, true};
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
        return PressedModifier{controlKey, right};
    case Qt::Key_Super_R:
        return PressedModifier{controlKey, true};
    case Qt::Key_CapsLock:
        return PressedModifier{capsLockKey, false};
    default:
        return std::nullopt;
    }
}

std::string utf8(char32_t character) {
    return QString::fromUcs4(&character, 1).toStdString();
}

bool isPrintable(const QString& text) {
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return c.unicode() >= 32 && c.unicode() != 127;
    });
}

std::optional<MacKeyEvent> typingKeyEvent(const QKeyEvent& event, std::uint64_t flags) {
    const int key = event.key();
    const bool shift = (flags & NSEventModifierFlagShift) != 0;
    MacKeyEvent mac;
    mac.modifierFlags = flags;
    bool found = false;
    if (key >= 0x20 && key <= 0x7E) {
        const char typed = static_cast<char>(key);
        if (event.modifiers() & Qt::KeypadModifier) {
            for (const auto& [character, keyCode] : keypadKeys) {
                if (character == typed) {
                    mac.keyCode = keyCode;
                    mac.charactersIgnoringModifiers = std::string(1, typed);
                    found = true;
                }
            }
        }
        for (const TypingKey& row : typingKeys) {
            // Qt names a letter key by its capital; a shifted symbol by the symbol itself.
            if (!found && (row.shifted == typed || row.base == typed)) {
                mac.keyCode = row.keyCode;
                mac.charactersIgnoringModifiers = std::string(1, shift ? row.shifted : row.base);
                found = true;
            }
        }
    }
    const QString text = event.text();
    if (!found) {
        if (!isPrintable(text)) {
            return std::nullopt;
        }
        mac.keyCode = unknownKeyCode;
        mac.charactersIgnoringModifiers = text.toStdString();
    }
    const bool command = (flags & NSEventModifierFlagCommand) != 0;
    const bool control = (flags & NSEventModifierFlagControl) != 0;
    const std::string& plain = mac.charactersIgnoringModifiers;
    if (control && plain.size() == 1 && std::isalpha(static_cast<unsigned char>(plain[0]))) {
        // Control with a letter types its control character, as on a Mac.
        mac.characters = std::string(1, static_cast<char>(plain[0] & 0x1F));
    } else if (!command && isPrintable(text)) {
        mac.characters = text.toStdString();
    } else {
        mac.characters = plain;
    }
    return mac;
}

} // namespace

std::uint64_t modifierFlags(Qt::KeyboardModifiers modifiers) {
    std::uint64_t flags = 0;
    if (modifiers & Qt::ShiftModifier) {
        flags |= NSEventModifierFlagShift;
    }
    if (modifiers & Qt::ControlModifier) {
        flags |= NSEventModifierFlagCommand;
    }
    if (modifiers & Qt::AltModifier) {
        flags |= NSEventModifierFlagOption;
    }
    if (modifiers & Qt::MetaModifier) {
        flags |= NSEventModifierFlagControl;
    }
    if (modifiers & Qt::KeypadModifier) {
        flags |= NSEventModifierFlagNumericPad;
    }
    return flags;
}

std::optional<MacKeyEvent> translate(const QKeyEvent& event) {
    const bool down = event.type() == QEvent::KeyPress;
    if (!down && event.type() != QEvent::KeyRelease) {
        return std::nullopt;
    }
    std::uint64_t flags = modifierFlags(event.modifiers());
    if (const auto modifier = pressedModifier(event)) {
        flags = down ? flags | modifier->key.flag : flags & ~modifier->key.flag;
        MacKeyEvent mac;
        mac.type = MacKeyEvent::Type::flagsChanged;
        mac.keyCode = modifier->right ? modifier->key.right : modifier->key.left;
        mac.modifierFlags = flags;
        return mac;
    }
    std::optional<MacKeyEvent> mac;
    const auto special =
        std::find_if(specialKeys.begin(), specialKeys.end(),
                     [&](const SpecialKey& row) { return row.key == event.key(); });
    if (special != specialKeys.end()) {
        mac = MacKeyEvent{};
        mac->keyCode = special->keyCode;
        mac->modifierFlags = flags | special->flags;
        mac->charactersIgnoringModifiers = utf8(special->character);
        // Shift-Tab types the back-tab character.
        mac->characters =
            utf8(event.key() == Qt::Key_Backtab ? char32_t{0x19} : special->character);
    } else {
        mac = typingKeyEvent(event, flags);
    }
    if (mac) {
        mac->type = down ? MacKeyEvent::Type::keyDown : MacKeyEvent::Type::keyUp;
        mac->isARepeat = event.isAutoRepeat();
    }
    return mac;
}

} // namespace platform::qt::MacKeyTable
