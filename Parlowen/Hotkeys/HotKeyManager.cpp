#include "Parlowen/Hotkeys/HotKeyManager.h"

namespace Parlowen {

HotKeyManager::HotKeyManager(HotKeyRegistry& registry) : registry_(registry) {}

HotKeyManager::~HotKeyManager() {
    unregister();
}

bool HotKeyManager::registerHotKey(std::uint32_t keyCode, std::uint32_t modifierFlags,
                                   std::function<void()> action) {
    unregister();
    // The action is in the registry before the first press can arrive.
    const auto id = registry_.add(std::move(action));
    if (!id) {
        return false;
    }
    const auto registered =
        registry_.hotKeys().registerEventHotKey(keyCode, modifierFlags, {signature, *id});
    if (registered.status != platform::noErr) {
        registry_.remove(*id);
        return false;
    }
    hotKeyRef_ = registered.hotKey;
    assignedID_ = id;
    return true;
}

void HotKeyManager::unregister() {
    if (hotKeyRef_ != 0) {
        registry_.hotKeys().unregisterEventHotKey(hotKeyRef_);
        hotKeyRef_ = 0;
    }
    if (assignedID_) {
        registry_.remove(*assignedID_);
        assignedID_.reset();
    }
}

} // namespace Parlowen
