#include "Parlowen/Settings/QuickAccessModifierShortcut.h"

#include "Parlowen/Settings/L10n.h"

namespace Parlowen {

std::string localizedName(QuickAccessModifierShortcut shortcut) {
    switch (shortcut) {
    case QuickAccessModifierShortcut::shift:
        return L10n::string("quick_access.shortcut.shift", "Shift + Shift");
    case QuickAccessModifierShortcut::option:
        return L10n::string("quick_access.shortcut.option", "Option + Option");
    case QuickAccessModifierShortcut::command:
        return L10n::string("quick_access.shortcut.command", "Command + Command");
    case QuickAccessModifierShortcut::none:
        return L10n::string("quick_access.shortcut.none", "None");
    }
    return {};
}

} // namespace Parlowen
