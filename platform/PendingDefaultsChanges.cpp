#include "platform/PendingDefaultsChanges.h"

namespace platform {

void PendingDefaultsChanges::add(std::string_view key, DefaultsChange change, Kind kind) {
    auto [found, added] = indexOfKey.try_emplace(std::string(key), byKey.size());
    if (added) {
        byKey.push_back({std::string(key), {}, std::nullopt});
    }
    auto& ofKey = byKey[found->second];
    if (kind == Kind::replacement) {
        ofKey.changes.clear();
    }
    if (ofKey.lastAnswer) {
        ofKey.lastAnswer->result = change(ofKey.lastAnswer->result);
    }
    ofKey.changes.push_back(std::move(change));
}

void PendingDefaultsChanges::clear() {
    byKey.clear();
    indexOfKey.clear();
}

std::optional<DefaultsValue>
PendingDefaultsChanges::applied(std::string_view key, const std::optional<DefaultsValue>& stored) {
    const auto found = indexOfKey.find(key);
    if (found == indexOfKey.end()) {
        return stored;
    }
    auto& ofKey = byKey[found->second];
    if (!ofKey.lastAnswer || ofKey.lastAnswer->stored != stored) {
        auto result = stored;
        for (const auto& change : ofKey.changes) {
            result = change(result);
        }
        ofKey.lastAnswer = Answer{stored, std::move(result)};
    }
    return ofKey.lastAnswer->result;
}

bool PendingDefaultsChanges::applyAll(UserDefaultsFileContents& contents) const {
    bool changed = false;
    for (const auto& ofKey : byKey) {
        for (const auto& change : ofKey.changes) {
            const auto stored = contents.value(ofKey.key);
            auto value = change(stored);
            if (value != stored) {
                contents.put(ofKey.key, std::move(value));
                changed = true;
            }
        }
    }
    return changed;
}

std::string PendingDefaultsChanges::keys() const {
    std::string text;
    for (const auto& ofKey : byKey) {
        text += text.empty() ? "" : ", ";
        text += ofKey.key;
    }
    return text;
}

} // namespace platform
