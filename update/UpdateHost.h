#pragma once

#include "platform/BundleInfo.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace update {

// What the updater needs to know about the application it updates (its bundle information).
struct UpdateHost {
    // "SUPublicEDKey": the base64 Ed25519 key that signs every update.
    std::optional<std::string> publicEDKey;
    // "CFBundleVersion": compared with the feed's versions.
    std::string bundleVersion;
    // "CFBundleShortVersionString": shown to people.
    std::string shortVersion;
    // "SUFeedURL": the appcast, unless the delegate names another.
    std::optional<std::string> feedURL;
    // The folder the application runs from; updates replace it.
    std::filesystem::path installedFolder;

    // Reads the keys above from the bundle's Info values; the bundle's folder is the installed
    // folder.
    static UpdateHost fromBundle(const platform::BundleInfo& bundle);

    // Whether `url` can be fetched as the update feed: an http or https URL with a host, as
    // libcurl, which fetches it, parses it. Blanks and control characters are refused anywhere,
    // also around it (not trimmed), so the address checked is the address fetched.
    static bool isUsableFeedURL(std::string_view url);
};

} // namespace update
