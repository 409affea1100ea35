#include "platform/PendingDefaultsChanges.h"

#include <algorithm>

namespace platform {

void PendingDefaultsChanges::add(std::string_view key, DefaultsChange change, Kind kind) {
    if (kind == Kind::replacement) {
        std::erase_if(changes, [&](const Change& earlier) { return earlier.key == key; });
    }
    changes.push_back({std::string(key), std::move(change)});
}

std::optional<DefaultsValue>
PendingDefaultsChanges::applied(std::string_view key, std::optional<DefaultsValue> stored) const {
    for (const auto& waiting : changes) {
        if (waiting.key == key) {
            stored = waiting.change(stored);
        }
    }
    return stored;
}

bool PendingDefaultsChanges::applyAll(UserDefaultsFileContents& contents) const {
    bool changed = false;
    for (const auto& waiting : changes) {
        const auto stored = contents.value(waiting.key);
        auto value = waiting.change(stored);
        if (value != stored) {
            contents.put(waiting.key, std::move(value));
            changed = true;
        }
    }
    return changed;
}

std::string PendingDefaultsChanges::keys() const {
    std::vector<std::string_view> named;
    std::string text;
    for (const auto& waiting : changes) {
        if (std::find(named.begin(), named.end(), waiting.key) == named.end()) {
            named.push_back(waiting.key);
            text += text.empty() ? "" : ", ";
            text += waiting.key;
        }
    }
    return text;
}

} // namespace platform
