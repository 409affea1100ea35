#pragma once

#include "platform/Value.h"

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Info keys the program reads from its bundle.
inline constexpr std::string_view kCFBundleShortVersionStringKey = "CFBundleShortVersionString";
inline constexpr std::string_view kCFBundleVersionKey = "CFBundleVersion";
inline constexpr std::string_view kSUPublicEDKey = "SUPublicEDKey";
inline constexpr std::string_view kSentryDSNKey = "SentryDSN";

// The main bundle (NSBundle mainBundle): its identifier, where it lives and its Info values.
// Safe to read from any thread.
class BundleInfo {
public:
    BundleInfo() = default;
    BundleInfo(const BundleInfo&) = delete;
    BundleInfo& operator=(const BundleInfo&) = delete;
    virtual ~BundleInfo() = default;

    // The bundle identifier ("app.tessaline.Tessaline"); none when the bundle has none.
    virtual std::optional<std::string> bundleIdentifier() const = 0;
    // The bundle's folder (bundlePath); the program's own folder when it runs outside a bundle.
    virtual std::string bundlePath() const = 0;
    // The Info value under the key (objectForInfoDictionaryKey:); absent when there is none.
    virtual Value objectForInfoDictionaryKey(std::string_view key) const = 0;
};

// The Info value under the key when it is a string; none otherwise.
std::optional<std::string> infoString(const BundleInfo& bundle, std::string_view key);

} // namespace platform
