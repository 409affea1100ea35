#include "platform/BundleInfo.h"

namespace platform {

std::optional<std::string> infoString(const BundleInfo& bundle, std::string_view key) {
    const Value value = bundle.objectForInfoDictionaryKey(key);
    if (const std::string* text = value.string()) {
        return *text;
    }
    return std::nullopt;
}

} // namespace platform
