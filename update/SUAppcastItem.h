#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace update {

// One release of the feed: an <item> of the appcast with its <enclosure>.
struct SUAppcastItem {
    std::string title;
    // The build version compared with the installed one ("sparkle:version").
    std::string versionString;
    // The version shown to people ("sparkle:shortVersionString"); may be empty.
    std::string displayVersionString;
    // The archive's address; none for an item without a usable enclosure.
    std::optional<std::string> fileURL;
    // The announced archive length in bytes; 0 when absent or unreadable.
    std::uint64_t contentLength = 0;
    // The base64 Ed25519 signature of the whole archive; none when absent or ambiguous.
    std::optional<std::string> edSignature;
    bool isCriticalUpdate = false;
    std::optional<std::string> releaseNotesURL;

    friend bool operator==(const SUAppcastItem&, const SUAppcastItem&) = default;
};

} // namespace update
