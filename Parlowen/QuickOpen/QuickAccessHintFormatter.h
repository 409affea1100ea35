#pragma once

#include "Parlowen/Settings/QuickAccessModifierShortcut.h"

#include <string>

// The texts that name the modifier-pair shortcut: the panel footer's hint and the onboarding
// window's instruction.
namespace Parlowen::QuickAccessHintFormatter {

// "⌥ + ⌥" and the like; empty for `none`.
std::string glyphPair(QuickAccessModifierShortcut shortcut);

// "Press ⌥ + ⌥ to open anytime", or how to bring the panel back without a shortcut.
std::string hint(QuickAccessModifierShortcut shortcut);

// "Press both Option keys together", from the first half of the shortcut's localized name.
std::string instruction(QuickAccessModifierShortcut shortcut);

} // namespace Parlowen::QuickAccessHintFormatter
