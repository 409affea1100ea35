// Feeds arbitrary texts to display-name resolution and the text folding beneath it. The input's
// first byte holds flags; the rest splits at U+001F into title, owner name and descriptions.
#include "core/MenuBarItemDisplayNameResolver.h"
#include "core/TextFolding.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::uint8_t flags = data[0];
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::vector<std::string_view> parts = QelCore::TextFolding::components(text, '\x1f');
    const std::string title(parts[0]);
    const std::string appName(parts.size() > 1 ? parts[1] : std::string_view());
    const std::vector<std::string> descriptions(
        parts.begin() + std::min<std::size_t>(2, parts.size()), parts.end());
    const auto ordinal = (flags & 1) != 0 ? std::optional<std::int64_t>(flags) : std::nullopt;

    using namespace QelCore;
    const std::string name =
        (flags & 2) != 0
            ? MenuBarItemDisplayNameResolver::resolve(
                  title, descriptions.empty() ? std::nullopt : std::optional(descriptions[0]),
                  appName, ordinal)
            : MenuBarItemDisplayNameResolver::resolve(title, descriptions, appName, ordinal);
    if (name.empty()) {
        std::abort();
    }
    const icu::Locale locale((flags & 4) != 0 ? "tr_TR" : "en_US");
    const std::string folded = TextFolding::folded(text, locale);
    // Folding an already folded text changes nothing more.
    if ((flags & 8) != 0 && TextFolding::folded(folded, locale) != folded) {
        std::abort();
    }
    const std::string collapsed = TextFolding::collapsingWhitespace(text);
    if (TextFolding::collapsingWhitespace(collapsed) != collapsed) {
        std::abort();
    }
    return 0;
}
