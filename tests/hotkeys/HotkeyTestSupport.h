#pragma once

#include "Parlowen/Hotkeys/PerAppHotKeyBinding.h"
#include "Parlowen/Items/AXMenuBarItemRecord.h"
#include "tests/quickopen/RecordBuilder.h"

#include <cstdint>

namespace HotkeyTesting {

using QuickOpenTesting::record;

// Seconds after 1 January 2001.
inline Parlowen::Date at(double seconds) {
    return *Parlowen::ReferenceDate::fromSecondsSinceReferenceDate(seconds);
}

// A binding of the item under its version-2 key.
inline Parlowen::PerAppHotKeyBinding binding(const Parlowen::AXMenuBarItemRecord& item,
                                             std::uint32_t keyCode,
                                             std::uint32_t modifierFlags = 0x100,
                                             double assignedAt = 0) {
    return {Parlowen::MenuBarItemStableIdentity::of(item), item.appName, item.title,
            Parlowen::PerAppHotKeyShortcut{keyCode, modifierFlags}, at(assignedAt)};
}

} // namespace HotkeyTesting
