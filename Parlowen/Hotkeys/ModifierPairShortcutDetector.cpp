#include "Parlowen/Hotkeys/ModifierPairShortcutDetector.h"

#include "platform/EventMonitors.h"

#include <optional>

namespace Parlowen {

namespace {

using ModifierSide = ModifierPairShortcutDetector::ModifierSide;

constexpr platform::NSEventModifierFlags anyModifier =
    platform::NSEventModifierFlagShift | platform::NSEventModifierFlagControl |
    platform::NSEventModifierFlagOption | platform::NSEventModifierFlagCommand;

struct WatchedModifier {
    platform::CGKeyCode leftKeyCode;
    platform::CGKeyCode rightKeyCode;
    platform::NSEventModifierFlags flag;
};

std::optional<WatchedModifier> watched(QuickAccessModifierShortcut shortcut) {
    switch (shortcut) {
    case QuickAccessModifierShortcut::shift:
        return WatchedModifier{platform::kVK_Shift, platform::kVK_RightShift,
                               platform::NSEventModifierFlagShift};
    case QuickAccessModifierShortcut::option:
        return WatchedModifier{platform::kVK_Option, platform::kVK_RightOption,
                               platform::NSEventModifierFlagOption};
    case QuickAccessModifierShortcut::command:
        return WatchedModifier{platform::kVK_Command, platform::kVK_RightCommand,
                               platform::NSEventModifierFlagCommand};
    case QuickAccessModifierShortcut::none:
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<ModifierSide> side(const WatchedModifier& modifier, platform::CGKeyCode keyCode) {
    if (keyCode == modifier.leftKeyCode) {
        return ModifierSide::left;
    }
    if (keyCode == modifier.rightKeyCode) {
        return ModifierSide::right;
    }
    return std::nullopt;
}

} // namespace

ModifierPairShortcutDetector::ModifierPairShortcutDetector(QuickAccessModifierShortcut shortcut,
                                                           std::function<void()> onTrigger)
    : shortcut_(shortcut), onTrigger_(std::move(onTrigger)) {}

void ModifierPairShortcutDetector::handle(platform::CGKeyCode keyCode,
                                          platform::NSEventModifierFlags flags) {
    const auto modifier = watched(shortcut_);
    if (!modifier) {
        reset();
        return;
    }
    const bool anyModifierHeld = (flags & anyModifier) != 0;
    if (cancelledUntilAllModifiersRelease_) {
        if (!anyModifierHeld) {
            cancelledUntilAllModifiersRelease_ = false;
        }
        return;
    }
    if ((flags & anyModifier & ~modifier->flag) != 0) {
        reset();
        cancelledUntilAllModifiersRelease_ = true;
        return;
    }
    const auto pressedSide = side(*modifier, keyCode);
    if (!pressedSide) {
        if (!anyModifierHeld) {
            reset();
        }
        return;
    }
    // Without the modifier's flag neither of its keys is down any more. Each event toggles a
    // side, so one missed key-up would otherwise leave a side counted as held and let a single
    // key press complete the pair later.
    if ((flags & modifier->flag) == 0) {
        reset();
        return;
    }
    if (!activeSides_.erase(*pressedSide)) {
        activeSides_.insert(*pressedSide);
    }
    switch (activeSides_.size()) {
    case 2:
        if (!firedForCurrentChord_) {
            firedForCurrentChord_ = true;
            // A copy: the trigger may replace the object that holds this detector.
            if (const auto trigger = onTrigger_) {
                trigger();
            }
        }
        return;
    case 0:
        reset();
        return;
    default:
        return;
    }
}

void ModifierPairShortcutDetector::reset() {
    activeSides_.clear();
    firedForCurrentChord_ = false;
}

} // namespace Parlowen
