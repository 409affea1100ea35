#pragma once

#include "platform/BundleInfo.h"

#include <mutex>

namespace platform {

// A bundle whose identifier, path and Info values live in memory: for tests and the simulated
// desktop, and filled from the build for the program.
class InMemoryBundleInfo final : public BundleInfo {
public:
    InMemoryBundleInfo(std::optional<std::string> identifier, std::string path,
                       Value::Dictionary info = {});

    std::optional<std::string> bundleIdentifier() const override;
    std::string bundlePath() const override;
    Value objectForInfoDictionaryKey(std::string_view key) const override;

    // Sets (or, with an absent value, removes) an Info value.
    void setObject(std::string_view key, Value value);

private:
    const std::optional<std::string> identifier_;
    const std::string path_;
    mutable std::mutex mutex_;
    Value::Dictionary info_;
};

} // namespace platform
