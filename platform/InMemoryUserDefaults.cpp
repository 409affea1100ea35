#include "platform/InMemoryUserDefaults.h"

namespace platform {

void InMemoryUserDefaults::set(std::string_view key, DefaultsValue value) {
    const std::lock_guard lock(mutex);
    values.insert_or_assign(std::string(key), std::move(value));
}

void InMemoryUserDefaults::removeObject(std::string_view key) {
    const std::lock_guard lock(mutex);
    if (const auto found = values.find(key); found != values.end()) {
        values.erase(found);
    }
}

std::optional<DefaultsValue> InMemoryUserDefaults::update(std::string_view key,
                                                          const DefaultsChange& change) {
    const std::lock_guard lock(mutex);
    const auto found = values.find(key);
    auto stored = found != values.end() ? std::optional(found->second) : std::nullopt;
    auto changed = change(stored);
    if (changed == stored) {
        return stored;
    }
    if (changed) {
        values.insert_or_assign(std::string(key), std::move(*changed));
    } else {
        values.erase(found);
    }
    return stored;
}

std::optional<DefaultsValue> InMemoryUserDefaults::storedObject(std::string_view key) const {
    const std::lock_guard lock(mutex);
    if (const auto found = values.find(key); found != values.end()) {
        return found->second;
    }
    return std::nullopt;
}

} // namespace platform
