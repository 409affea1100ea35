#include "Parlowen/Hotkeys/HotKeyFormatter.h"

#include "platform/EventMonitors.h"
#include "platform/GlobalHotKeys.h"

#include <array>
#include <string_view>
#include <utility>

namespace Parlowen::HotKeyFormatter {

namespace {

// Virtual key codes of the US ANSI layout that have a name of their own.
constexpr std::array<std::pair<std::uint32_t, std::string_view>, 31> keyNames{{
    {0, "A"},       {1, "S"},      {2, "D"},    {3, "F"},  {4, "H"},   {5, "G"},  {6, "Z"},
    {7, "X"},       {8, "C"},      {9, "V"},    {11, "B"}, {12, "Q"},  {13, "W"}, {14, "E"},
    {15, "R"},      {16, "Y"},     {17, "T"},   {31, "O"}, {32, "U"},  {34, "I"}, {35, "P"},
    {36, "\u21A9"}, {37, "L"},     {38, "J"},   {40, "K"}, {42, "\\"}, {45, "N"}, {46, "M"},
    {48, "\u21E5"}, {49, "Space"}, {53, "Esc"},
}};

// Display order of the modifier glyphs.
constexpr std::array<std::pair<std::uint32_t, std::string_view>, 4> modifierGlyphs{{
    {platform::controlKey, "\u2303"},
    {platform::optionKey, "\u2325"},
    {platform::shiftKey, "\u21E7"},
    {platform::cmdKey, "\u2318"},
}};

std::string keyName(std::uint32_t keyCode) {
    for (const auto& [code, name] : keyNames) {
        if (code == keyCode) {
            return std::string(name);
        }
    }
    return "Key" + std::to_string(keyCode);
}

} // namespace

std::string format(std::uint32_t keyCode, std::uint32_t modifierFlags) {
    std::string text;
    for (const auto& [bit, glyph] : modifierGlyphs) {
        if ((modifierFlags & bit) != 0) {
            text += glyph;
        }
    }
    return text + keyName(keyCode);
}

std::uint32_t carbonModifiers(platform::NSEventModifierFlags eventModifierFlags) {
    constexpr std::array<std::pair<platform::NSEventModifierFlags, std::uint32_t>, 4> bits{{
        {platform::NSEventModifierFlagCommand, platform::cmdKey},
        {platform::NSEventModifierFlagShift, platform::shiftKey},
        {platform::NSEventModifierFlagOption, platform::optionKey},
        {platform::NSEventModifierFlagControl, platform::controlKey},
    }};
    std::uint32_t carbon = 0;
    for (const auto& [eventBit, carbonBit] : bits) {
        if ((eventModifierFlags & eventBit) != 0) {
            carbon |= carbonBit;
        }
    }
    return carbon;
}

} // namespace Parlowen::HotKeyFormatter
