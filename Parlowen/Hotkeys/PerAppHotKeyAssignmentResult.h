#pragma once

#include "Parlowen/Hotkeys/PerAppHotKeyBinding.h"

#include <optional>

namespace Parlowen {

// How an assignment of a chord to an item ended.
struct PerAppHotKeyAssignmentResult {
    enum class Kind {
        // `binding` is what was stored.
        saved,
        // Another item holds the chord (`binding`); nothing was stored.
        conflict,
        // The chord has no modifier; nothing was stored.
        invalidShortcut
    };

    Kind kind = Kind::invalidShortcut;
    std::optional<PerAppHotKeyBinding> binding;

    static PerAppHotKeyAssignmentResult saved(PerAppHotKeyBinding binding) {
        return {Kind::saved, std::move(binding)};
    }
    static PerAppHotKeyAssignmentResult conflict(PerAppHotKeyBinding existing) {
        return {Kind::conflict, std::move(existing)};
    }
    static PerAppHotKeyAssignmentResult invalidShortcut() { return {Kind::invalidShortcut, {}}; }

    friend bool operator==(const PerAppHotKeyAssignmentResult&,
                           const PerAppHotKeyAssignmentResult&) = default;
};

} // namespace Parlowen
