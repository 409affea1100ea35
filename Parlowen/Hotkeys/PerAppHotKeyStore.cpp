#include "Parlowen/Hotkeys/PerAppHotKeyStore.h"

#include "Parlowen/Items/AXMenuBarItemRecord.h"
#include "Parlowen/Items/StoredMenuBarItem.h"
#include "Parlowen/Settings/StoredJSONList.h"

#include <algorithm>

namespace Parlowen {

PerAppHotKeyStore::PerAppHotKeyStore(std::shared_ptr<platform::UserDefaults> defaults)
    : defaults(std::move(defaults)) {}

PerAppHotKeyStore& PerAppHotKeyStore::shared() {
    static PerAppHotKeyStore instance(platform::UserDefaults::standard());
    return instance;
}

std::vector<PerAppHotKeyBinding> PerAppHotKeyStore::load() const {
    return StoredJSONList::loadEntries<PerAppHotKeyBinding>(*defaults, key);
}

std::vector<PerAppHotKeyBinding> PerAppHotKeyStore::bindings() const {
    return sorted(load());
}

std::optional<PerAppHotKeyBinding>
PerAppHotKeyStore::binding(const AXMenuBarItemRecord& item) const {
    const auto itemKey = MenuBarItemStableIdentity::of(item);
    for (auto& binding : load()) {
        if (binding.identity.matches(itemKey)) {
            return std::move(binding);
        }
    }
    return std::nullopt;
}

std::optional<PerAppHotKeyBinding>
PerAppHotKeyStore::binding(const MenuBarItemStableIdentity& identity) const {
    for (auto& binding : load()) {
        if (binding.identity == identity) {
            return std::move(binding);
        }
    }
    return std::nullopt;
}

std::optional<PerAppHotKeyBinding>
PerAppHotKeyStore::conflict(const PerAppHotKeyShortcut& shortcut,
                            const AXMenuBarItemRecord& excluding) const {
    const auto itemKey = MenuBarItemStableIdentity::of(excluding);
    for (auto& binding : load()) {
        if (binding.shortcut == shortcut && !binding.identity.matches(itemKey)) {
            return std::move(binding);
        }
    }
    return std::nullopt;
}

PerAppHotKeyAssignmentResult PerAppHotKeyStore::assign(const AXMenuBarItemRecord& item,
                                                       std::uint32_t keyCode,
                                                       std::uint32_t modifierFlags, Date at) {
    return store(item, {keyCode, modifierFlags}, at, false);
}

PerAppHotKeyAssignmentResult
PerAppHotKeyStore::assignReplacingShortcut(const AXMenuBarItemRecord& item, std::uint32_t keyCode,
                                           std::uint32_t modifierFlags, Date at) {
    return store(item, {keyCode, modifierFlags}, at, true);
}

PerAppHotKeyAssignmentResult PerAppHotKeyStore::store(const AXMenuBarItemRecord& item,
                                                      PerAppHotKeyShortcut shortcut, Date at,
                                                      bool replacingHolder) {
    if (!shortcut.hasModifier()) {
        return PerAppHotKeyAssignmentResult::invalidShortcut();
    }
    const auto itemKey = MenuBarItemStableIdentity::of(item);
    PerAppHotKeyBinding binding{itemKey, item.appName, StoredMenuBarItem::displayName(item),
                                shortcut, at};
    const auto holds = [shortcut, itemKey](const PerAppHotKeyBinding& stored) {
        return stored.shortcut == shortcut && !stored.identity.matches(itemKey);
    };
    // The conflict check and the write are one step, so another process cannot take the chord
    // in between; a write that waits for another process checks again when it is done.
    const auto seen = StoredJSONList::updateEntriesUnlessRefused<PerAppHotKeyBinding>(
        *defaults, key,
        [holds, itemKey, binding, replacingHolder](std::vector<PerAppHotKeyBinding>& bindings) {
            if (!replacingHolder && std::any_of(bindings.begin(), bindings.end(), holds)) {
                return false;
            }
            std::erase_if(bindings, [&](const auto& stored) {
                return stored.identity.matches(itemKey) || holds(stored);
            });
            bindings.push_back(binding);
            bindings = sorted(std::move(bindings));
            return true;
        });
    if (const auto holder = std::find_if(seen.begin(), seen.end(), holds);
        holder != seen.end() && !replacingHolder) {
        return PerAppHotKeyAssignmentResult::conflict(*holder);
    }
    return PerAppHotKeyAssignmentResult::saved(std::move(binding));
}

void PerAppHotKeyStore::remove(const MenuBarItemStableIdentity& identity) {
    remove(std::vector<MenuBarItemStableIdentity>{identity});
}

void PerAppHotKeyStore::remove(const std::vector<MenuBarItemStableIdentity>& identities) {
    StoredJSONList::updateEntries<PerAppHotKeyBinding>(
        *defaults, key, [identities](auto& bindings) {
            std::erase_if(bindings, [&](const auto& binding) {
                return std::find(identities.begin(), identities.end(), binding.identity) !=
                       identities.end();
            });
        });
}

std::vector<PerAppHotKeyBinding>
PerAppHotKeyStore::sorted(std::vector<PerAppHotKeyBinding> bindings) {
    std::stable_sort(bindings.begin(), bindings.end(), [](const auto& lhs, const auto& rhs) {
        return lhs.assignedAt > rhs.assignedAt;
    });
    return bindings;
}

} // namespace Parlowen
