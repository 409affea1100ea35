#include "update/UpdateHost.h"

#include <curl/curl.h>

#include <memory>

namespace update {

namespace {
struct CurlURLDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
struct CurlTextDeleter {
    void operator()(char* text) const { curl_free(text); }
};
using CurlText = std::unique_ptr<char, CurlTextDeleter>;

CurlText part(CURLU* url, CURLUPart which) {
    char* text = nullptr;
    return CurlText(curl_url_get(url, which, &text, 0) == CURLUE_OK ? text : nullptr);
}
} // namespace

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

bool UpdateHost::isUsableFeedURL(std::string_view url) {
    // libcurl reads up to the first zero byte, which would check less than is fetched.
    if (url.find('\0') != std::string_view::npos) {
        return false;
    }
    const std::unique_ptr<CURLU, CurlURLDeleter> parsed(curl_url());
    if (!parsed ||
        curl_url_set(parsed.get(), CURLUPART_URL, std::string(url).c_str(), 0) != CURLUE_OK) {
        return false;
    }
    const CurlText scheme = part(parsed.get(), CURLUPART_SCHEME);
    const CurlText host = part(parsed.get(), CURLUPART_HOST);
    // libcurl gives the scheme in lower case.
    const std::string_view name = scheme ? scheme.get() : "";
    return (name == "http" || name == "https") && host && *host != '\0';
}

} // namespace update
