#pragma once

#include "platform/qt/MacKeyEvent.h"

#include <string>

// One key of the panel's keyboard handling, read from a key-down as AppKit describes it.
struct PanelKeyboardKey {
    enum class Kind { text, left, right, up, down, tab, backTab, enter, escape, other };

    Kind kind = Kind::other;
    // The typed characters of a `text` key; empty otherwise.
    std::string text;

    friend bool operator==(const PanelKeyboardKey&, const PanelKeyboardKey&) = default;

    // Return and Enter, Tab (Shift: back), Escape and the arrows by their first character; any
    // other key is text only when no modifier beyond Shift and Caps Lock is held and it types
    // no control character.
    static PanelKeyboardKey from(const platform::qt::MacKeyEvent& event);
};
