#include "Parlowen/Hotkeys/ModifierPairShortcutDetector.h"

#include "Parlowen/Hotkeys/ModifierFlags.h"

#include <optional>

namespace Parlowen {

namespace {

using ModifierSide = ModifierPairShortcutDetector::ModifierSide;

struct WatchedModifier {
    std::uint16_t leftKeyCode;
    std::uint16_t rightKeyCode;
    std::uint64_t flag;
};

std::optional<WatchedModifier> watched(QuickAccessModifierShortcut shortcut) {
    switch (shortcut) {
    case QuickAccessModifierShortcut::shift:
        return WatchedModifier{56, 60, EventModifierFlag::shift};
    case QuickAccessModifierShortcut::option:
        return WatchedModifier{58, 61, EventModifierFlag::option};
    case QuickAccessModifierShortcut::command:
        return WatchedModifier{55, 54, EventModifierFlag::command};
    case QuickAccessModifierShortcut::none:
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<ModifierSide> side(const WatchedModifier& modifier, std::uint16_t keyCode) {
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

void ModifierPairShortcutDetector::handle(std::uint16_t keyCode, std::uint64_t flags) {
    const auto modifier = watched(shortcut_);
    if (!modifier) {
        reset();
        return;
    }
    const bool anyModifierHeld = (flags & EventModifierFlag::anyModifier) != 0;
    if (cancelledUntilAllModifiersRelease_) {
        if (!anyModifierHeld) {
            cancelledUntilAllModifiersRelease_ = false;
        }
        return;
    }
    if ((flags & EventModifierFlag::anyModifier & ~modifier->flag) != 0) {
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
