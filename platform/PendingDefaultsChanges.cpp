#include "platform/PendingDefaultsChanges.h"

namespace platform {

namespace {

void appendKey(std::string& text, std::string_view key) {
    text += text.empty() ? "" : ", ";
    text += key;
}

} // namespace

void PendingDefaultsChanges::add(std::string_view key, DefaultsChange change, Kind kind,
                                 DefaultsCondition applies) {
    auto [found, added] = indexOfKey.try_emplace(std::string(key), byKey.size());
    if (added) {
        byKey.push_back({std::string(key), {}, std::nullopt});
    }
    auto& ofKey = byKey[found->second];
    if (kind == Kind::replacement) {
        ofKey.changes.clear();
    }
    ofKey.changes.push_back({std::move(change), std::move(applies)});
    if (ofKey.lastAnswer) {
        ofKey.lastAnswer->result = ofKey.changes.back()(ofKey.lastAnswer->result);
    }
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

PendingDefaultsChanges::Outcome
PendingDefaultsChanges::applyAll(UserDefaultsFileContents& contents) const {
    Outcome outcome;
    for (const auto& ofKey : byKey) {
        bool refused = false;
        for (const auto& change : ofKey.changes) {
            const auto stored = contents.value(ofKey.key);
            if (!change.applies(stored)) {
                refused = true;
                continue;
            }
            auto value = change.change(stored);
            if (value != stored) {
                contents.put(ofKey.key, std::move(value));
                outcome.changed = true;
            }
        }
        if (refused) {
            appendKey(outcome.refusedKeys, ofKey.key);
        }
    }
    return outcome;
}

std::string PendingDefaultsChanges::keys() const {
    std::string text;
    for (const auto& ofKey : byKey) {
        appendKey(text, ofKey.key);
    }
    return text;
}

} // namespace platform
