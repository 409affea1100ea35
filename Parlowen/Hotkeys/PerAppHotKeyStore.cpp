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
    const PerAppHotKeyShortcut shortcut{keyCode, modifierFlags};
    if (!shortcut.hasModifier()) {
        return PerAppHotKeyAssignmentResult::invalidShortcut();
    }
    const auto itemKey = MenuBarItemStableIdentity::of(item);
    auto kept = load();
    std::erase_if(kept, [&](const auto& binding) { return binding.identity.matches(itemKey); });
    const auto holder = std::find_if(kept.begin(), kept.end(), [&](const auto& binding) {
        return binding.shortcut == shortcut;
    });
    if (holder != kept.end()) {
        return PerAppHotKeyAssignmentResult::conflict(*holder);
    }
    return store(item, std::move(kept), shortcut, at);
}

PerAppHotKeyAssignmentResult
PerAppHotKeyStore::assignReplacingShortcut(const AXMenuBarItemRecord& item, std::uint32_t keyCode,
                                           std::uint32_t modifierFlags, Date at) {
    const PerAppHotKeyShortcut shortcut{keyCode, modifierFlags};
    if (!shortcut.hasModifier()) {
        return PerAppHotKeyAssignmentResult::invalidShortcut();
    }
    const auto itemKey = MenuBarItemStableIdentity::of(item);
    auto kept = load();
    std::erase_if(kept, [&](const auto& binding) {
        return binding.identity.matches(itemKey) || binding.shortcut == shortcut;
    });
    return store(item, std::move(kept), shortcut, at);
}

PerAppHotKeyAssignmentResult PerAppHotKeyStore::store(const AXMenuBarItemRecord& item,
                                                      std::vector<PerAppHotKeyBinding> kept,
                                                      PerAppHotKeyShortcut shortcut, Date at) {
    PerAppHotKeyBinding binding{MenuBarItemStableIdentity::of(item), item.appName,
                                StoredMenuBarItem::displayName(item), shortcut, at};
    kept.push_back(binding);
    save(sorted(std::move(kept)));
    return PerAppHotKeyAssignmentResult::saved(std::move(binding));
}

void PerAppHotKeyStore::remove(const MenuBarItemStableIdentity& identity) {
    remove(std::vector<MenuBarItemStableIdentity>{identity});
}

void PerAppHotKeyStore::remove(const std::vector<MenuBarItemStableIdentity>& identities) {
    auto kept = load();
    std::erase_if(kept, [&](const auto& binding) {
        return std::find(identities.begin(), identities.end(), binding.identity) !=
               identities.end();
    });
    save(kept);
}

std::vector<PerAppHotKeyBinding>
PerAppHotKeyStore::sorted(std::vector<PerAppHotKeyBinding> bindings) {
    std::stable_sort(bindings.begin(), bindings.end(), [](const auto& lhs, const auto& rhs) {
        return lhs.assignedAt > rhs.assignedAt;
    });
    return bindings;
}

void PerAppHotKeyStore::save(const std::vector<PerAppHotKeyBinding>& bindings) {
    StoredJSONList::saveEntries(*defaults, key, bindings);
}

} // namespace Parlowen
