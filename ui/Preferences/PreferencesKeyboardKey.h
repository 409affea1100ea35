#pragma once

#include "platform/qt/MacKeyEvent.h"

// The preferences window's key vocabulary: what a key press means to the window's own focus
// ring, before any control sees it.
enum class PreferencesKeyboardKey { tab, backTab, up, down, escape, enter, other };

namespace PreferencesKeyboardKeys {

// The key a key-down means: Tab (backTab with Shift), the up and down arrows, Return and keypad
// Enter, Escape; anything with Control, Option or Command held, or without characters, is
// `other`.
PreferencesKeyboardKey translate(const platform::qt::MacKeyEvent& event);

} // namespace PreferencesKeyboardKeys
