#pragma once

#include "Parlowen/Settings/QuickAccessModifierShortcut.h"
#include "platform/EventMonitors.h"

#include <cstdint>
#include <functional>
#include <set>

namespace Parlowen {

// Watches modifier-change events for the left and right key of one modifier going down
// together, with no other modifier held, and runs `onTrigger` once per such chord. There is no
// time window: the second key may follow the first at any time.
class ModifierPairShortcutDetector {
public:
    enum class ModifierSide { left, right };

    ModifierPairShortcutDetector(QuickAccessModifierShortcut shortcut,
                                 std::function<void()> onTrigger);

    // One modifier-change event: the virtual key code of the key that changed and the event's
    // device-independent modifier flags (Shift 0x20000, Control 0x40000, Option 0x80000,
    // Command 0x100000; other bits are never looked at).
    void handle(platform::CGKeyCode keyCode, platform::NSEventModifierFlags flags);

private:
    void reset();

    QuickAccessModifierShortcut shortcut_;
    std::set<ModifierSide> activeSides_;
    bool firedForCurrentChord_ = false;
    bool cancelledUntilAllModifiersRelease_ = false;
    std::function<void()> onTrigger_;
};

} // namespace Parlowen
