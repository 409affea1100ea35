#include "platform/OverlayUserDefaults.h"

namespace platform {

OverlayUserDefaults::OverlayUserDefaults(std::shared_ptr<UserDefaults> base,
                                         const DefaultsDictionary& values)
    : base(std::move(base)) {
    for (const auto& [key, value] : values) {
        layer.emplace(key, value);
    }
}

void OverlayUserDefaults::set(std::string_view key, DefaultsValue value) {
    const std::lock_guard lock(mutex);
    layer.insert_or_assign(std::string(key), std::move(value));
}

void OverlayUserDefaults::removeObject(std::string_view key) {
    const std::lock_guard lock(mutex);
    layer.insert_or_assign(std::string(key), std::nullopt);
}

std::optional<DefaultsValue> OverlayUserDefaults::update(std::string_view key,
                                                         const DefaultsChange& change) {
    const std::lock_guard lock(mutex);
    auto stored = storedLocked(key);
    auto changed = change(stored);
    if (changed != stored) {
        layer.insert_or_assign(std::string(key), std::move(changed));
    }
    return stored;
}

std::optional<DefaultsValue> OverlayUserDefaults::storedObject(std::string_view key) const {
    const std::lock_guard lock(mutex);
    return storedLocked(key);
}

std::optional<DefaultsValue> OverlayUserDefaults::storedLocked(std::string_view key) const {
    if (const auto found = layer.find(key); found != layer.end()) {
        return found->second;
    }
    return base ? base->objectForKey(key) : std::nullopt;
}

} // namespace platform
