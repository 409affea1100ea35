#include "update/UpdateHost.h"

namespace update {

UpdateHost UpdateHost::fromBundle(const platform::BundleInfo& bundle) {
    return {
        .publicEDKey = platform::infoString(bundle, platform::kSUPublicEDKey),
        .bundleVersion = platform::infoString(bundle, platform::kCFBundleVersionKey).value_or(""),
        .shortVersion =
            platform::infoString(bundle, platform::kCFBundleShortVersionStringKey).value_or(""),
        .feedURL = platform::infoString(bundle, "SUFeedURL"),
        .installedFolder = bundle.bundlePath(),
    };
}

} // namespace update
