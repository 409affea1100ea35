#include "ui/QuickOpenPanel/PanelKeyboardKey.h"

#include <gtest/gtest.h>

namespace {

using Kind = PanelKeyboardKey::Kind;
using namespace platform::qt;

MacKeyEvent keyDown(std::string characters, std::uint64_t flags = 0, platform::CGKeyCode code = 0) {
    MacKeyEvent event;
    event.keyCode = code;
    event.modifierFlags = flags;
    event.characters = characters;
    event.charactersIgnoringModifiers = std::move(characters);
    return event;
}

TEST(PanelKeyboardKey, ReadsTheKeyFromItsCharactersAndModifiers) {
    const struct {
        MacKeyEvent event;
        PanelKeyboardKey expected;
    } cases[] = {
        {keyDown("\r"), {Kind::enter, {}}},
        {keyDown("\x03"), {Kind::enter, {}}},
        {keyDown("\t"), {Kind::tab, {}}},
        {keyDown("\t", NSEventModifierFlagShift), {Kind::backTab, {}}},
        {keyDown("\x1b"), {Kind::escape, {}}},
        {keyDown("\uF700"), {Kind::up, {}}},
        {keyDown("\uF701", NSEventModifierFlagNumericPad | NSEventModifierFlagFunction),
         {Kind::down, {}}},
        {keyDown("\uF702"), {Kind::left, {}}},
        {keyDown("\uF703"), {Kind::right, {}}},
        {keyDown("a"), {Kind::text, "a"}},
        {keyDown("A", NSEventModifierFlagShift | NSEventModifierFlagCapsLock), {Kind::text, "A"}},
        {keyDown("\u00E9"), {Kind::text, "\u00E9"}},
        // Option, Control and Command chords type nothing into the search.
        {keyDown("a", NSEventModifierFlagOption), {Kind::other, {}}},
        {keyDown("a", NSEventModifierFlagControl), {Kind::other, {}}},
        {keyDown("a", NSEventModifierFlagCommand), {Kind::other, {}}},
        {keyDown("\x7f"), {Kind::other, {}}},
        {keyDown("\x08"), {Kind::other, {}}},
        {keyDown(""), {Kind::other, {}}},
    };
    for (const auto& row : cases) {
        const auto key = PanelKeyboardKey::from(row.event);
        EXPECT_EQ(key.kind, row.expected.kind) << row.event.characters;
        EXPECT_EQ(key.text, row.expected.text) << row.event.characters;
    }
}

TEST(PanelKeyboardKey, TextKeyWithAControlCharacterIsOther) {
    auto event = keyDown("x");
    event.characters = "x\x01";
    EXPECT_EQ(PanelKeyboardKey::from(event).kind, Kind::other);
}

TEST(CloseWindowChord, IsCommandWAloneCapsLockAndFnAllowed) {
    constexpr platform::CGKeyCode w = 13;
    EXPECT_TRUE(platform::qt::isCloseWindowChord(keyDown("w", NSEventModifierFlagCommand, w)));
    EXPECT_TRUE(platform::qt::isCloseWindowChord(keyDown(
        "w", NSEventModifierFlagCommand | NSEventModifierFlagCapsLock | NSEventModifierFlagFunction,
        w)));
    EXPECT_FALSE(platform::qt::isCloseWindowChord(
        keyDown("w", NSEventModifierFlagCommand | NSEventModifierFlagShift, w)));
    EXPECT_FALSE(platform::qt::isCloseWindowChord(
        keyDown("w", NSEventModifierFlagCommand | NSEventModifierFlagOption, w)));
    EXPECT_FALSE(platform::qt::isCloseWindowChord(keyDown("w", 0, w)));
    EXPECT_FALSE(platform::qt::isCloseWindowChord(keyDown("q", NSEventModifierFlagCommand, 12)));
}

} // namespace
