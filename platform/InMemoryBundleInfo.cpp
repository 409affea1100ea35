#include "platform/InMemoryBundleInfo.h"

namespace platform {

InMemoryBundleInfo::InMemoryBundleInfo(std::optional<std::string> identifier, std::string path,
                                       Value::Dictionary info)
    : identifier_(std::move(identifier)), path_(std::move(path)), info_(std::move(info)) {}

std::optional<std::string> InMemoryBundleInfo::bundleIdentifier() const {
    return identifier_;
}

std::string InMemoryBundleInfo::bundlePath() const {
    return path_;
}

Value InMemoryBundleInfo::objectForInfoDictionaryKey(std::string_view key) const {
    std::lock_guard lock(mutex_);
    auto found = info_.find(key);
    return found == info_.end() ? Value() : found->second;
}

void InMemoryBundleInfo::setObject(std::string_view key, Value value) {
    std::lock_guard lock(mutex_);
    if (value.isAbsent()) {
        if (auto found = info_.find(key); found != info_.end()) {
            info_.erase(found);
        }
        return;
    }
    info_.insert_or_assign(std::string(key), std::move(value));
}

} // namespace platform
