#pragma once

#include "Parlowen/Hotkeys/PerAppHotKeyAssignmentResult.h"
#include "Parlowen/Hotkeys/PerAppHotKeyBinding.h"
#include "platform/UserDefaults.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace Parlowen {

struct AXMenuBarItemRecord;

// The per-app hotkeys, kept as a JSON array under one key and rewritten whole on every change:
// one chord per item and one item per chord. Nothing is cached, so two stores on one defaults
// object see each other's writes. Main thread only.
class PerAppHotKeyStore {
public:
    static constexpr std::string_view key = "quickOpen.perAppHotKeys";

    explicit PerAppHotKeyStore(std::shared_ptr<platform::UserDefaults> defaults);

    // The process-wide store over the standard user defaults.
    static PerAppHotKeyStore& shared();

    // The stored bindings in stored order; entries that cannot be read are left out.
    std::vector<PerAppHotKeyBinding> load() const;
    // The stored bindings newest first; equal dates keep their stored order.
    std::vector<PerAppHotKeyBinding> bindings() const;

    // The first stored binding whose identity names the item (its version-2 key or that key's
    // legacy version-1 form).
    std::optional<PerAppHotKeyBinding> binding(const AXMenuBarItemRecord& item) const;
    // The first stored binding whose identity is exactly `identity`.
    std::optional<PerAppHotKeyBinding> binding(const MenuBarItemStableIdentity& identity) const;
    // The first stored binding of another item that holds the same chord.
    std::optional<PerAppHotKeyBinding> conflict(const PerAppHotKeyShortcut& shortcut,
                                                const AXMenuBarItemRecord& excluding) const;

    // Gives the item the chord, replacing its own binding, unless another item holds the chord
    // (`conflict`) or the chord has no Command, Shift, Option or Control (`invalidShortcut`).
    PerAppHotKeyAssignmentResult assign(const AXMenuBarItemRecord& item, std::uint32_t keyCode,
                                        std::uint32_t modifierFlags, Date at);
    // Like `assign`, but the item that held the chord loses it; never a conflict.
    PerAppHotKeyAssignmentResult assignReplacingShortcut(const AXMenuBarItemRecord& item,
                                                         std::uint32_t keyCode,
                                                         std::uint32_t modifierFlags, Date at);

    // Drops the bindings whose identity equals one given exactly, keeping the order of the
    // rest; saves even when nothing was dropped.
    void remove(const MenuBarItemStableIdentity& identity);
    void remove(const std::vector<MenuBarItemStableIdentity>& identities);

    // Newest first, stable.
    static std::vector<PerAppHotKeyBinding> sorted(std::vector<PerAppHotKeyBinding> bindings);

private:
    // `assign` and `assignReplacingShortcut`, as one read-modify-write of the stored list.
    PerAppHotKeyAssignmentResult store(const AXMenuBarItemRecord& item,
                                       PerAppHotKeyShortcut shortcut, Date at,
                                       bool replacingHolder);

    std::shared_ptr<platform::UserDefaults> defaults;
};

} // namespace Parlowen
