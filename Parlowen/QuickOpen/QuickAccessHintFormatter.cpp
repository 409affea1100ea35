#include "Parlowen/QuickOpen/QuickAccessHintFormatter.h"

#include "Parlowen/Settings/L10n.h"

namespace Parlowen::QuickAccessHintFormatter {

std::string glyphPair(QuickAccessModifierShortcut shortcut) {
    switch (shortcut) {
    case QuickAccessModifierShortcut::shift:
        return "\u21E7 + \u21E7";
    case QuickAccessModifierShortcut::option:
        return "\u2325 + \u2325";
    case QuickAccessModifierShortcut::command:
        return "\u2318 + \u2318";
    case QuickAccessModifierShortcut::none:
        return {};
    }
    return {};
}

std::string hint(QuickAccessModifierShortcut shortcut) {
    if (shortcut == QuickAccessModifierShortcut::none) {
        return L10n::string("quick_access.hint.relaunch",
                            "Open Tessaline again to bring this panel back");
    }
    return L10n::format(L10n::string("quick_access.hint.modifier_pair", "Press %@ to open anytime"),
                        {glyphPair(shortcut)});
}

std::string instruction(QuickAccessModifierShortcut shortcut) {
    if (shortcut == QuickAccessModifierShortcut::none) {
        return L10n::string("quick_access.shortcut.disabled_instruction",
                            "No quick access shortcut");
    }
    const auto name = localizedName(shortcut);
    auto key = name.substr(0, name.find(" + "));
    if (key.empty()) {
        key = glyphPair(shortcut);
    }
    return L10n::format(
        L10n::string("quick_access.shortcut.instruction", "Press both %@ keys together"), {key});
}

} // namespace Parlowen::QuickAccessHintFormatter
