#include "ui/Preferences/PreferencesKeyboardKey.h"

#include <QList>
#include <QString>

namespace PreferencesKeyboardKeys {

using namespace platform::qt;

namespace {

constexpr std::uint64_t commandLikeModifiers =
    NSEventModifierFlagControl | NSEventModifierFlagOption | NSEventModifierFlagCommand;

} // namespace

PreferencesKeyboardKey translate(const MacKeyEvent& event) {
    const QString characters = QString::fromStdString(event.charactersIgnoringModifiers);
    if (characters.isEmpty()) {
        return PreferencesKeyboardKey::other;
    }
    if ((event.modifierFlags & commandLikeModifiers) != 0) {
        return PreferencesKeyboardKey::other;
    }
    switch (characters.toUcs4().front()) {
    case U'\t':
        return (event.modifierFlags & NSEventModifierFlagShift) != 0
                   ? PreferencesKeyboardKey::backTab
                   : PreferencesKeyboardKey::tab;
    case 0xF700:
        return PreferencesKeyboardKey::up;
    case 0xF701:
        return PreferencesKeyboardKey::down;
    case 0x0003:
    case U'\r':
        return PreferencesKeyboardKey::enter;
    case 0x001B:
        return PreferencesKeyboardKey::escape;
    default:
        break;
    }
    return PreferencesKeyboardKey::other;
}

} // namespace PreferencesKeyboardKeys
