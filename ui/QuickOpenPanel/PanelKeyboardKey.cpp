#include "ui/QuickOpenPanel/PanelKeyboardKey.h"

#include <QList>
#include <QString>

namespace {

// Shift, Caps Lock and the device-dependent bits below them.
constexpr std::uint64_t textModifierMask = 0x3FFFF;

} // namespace

PanelKeyboardKey PanelKeyboardKey::from(const platform::qt::MacKeyEvent& event) {
    using enum Kind;
    const auto plain = QString::fromStdString(event.charactersIgnoringModifiers).toUcs4();
    if (plain.isEmpty()) {
        return {other, {}};
    }
    switch (plain.front()) {
    case 3:
    case 13:
        return {enter, {}};
    case 9:
        return {(event.modifierFlags & platform::qt::NSEventModifierFlagShift) ? backTab : tab, {}};
    case 27:
        return {escape, {}};
    case 0xF700:
        return {up, {}};
    case 0xF701:
        return {down, {}};
    case 0xF702:
        return {left, {}};
    case 0xF703:
        return {right, {}};
    default:
        break;
    }
    if ((event.modifierFlags & ~textModifierMask) != 0 || event.characters.empty()) {
        return {other, {}};
    }
    for (const char32_t scalar : QString::fromStdString(event.characters).toUcs4()) {
        if (scalar < 32 || scalar == 127) {
            return {other, {}};
        }
    }
    return {text, event.characters};
}
