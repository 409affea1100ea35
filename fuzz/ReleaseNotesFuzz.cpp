// Reads arbitrary bytes as release notes: hostile notes never crash or hang the updater, and
// what they leave for the window stays within the budget, as well-formed UTF-8, no deeper than
// the limit, every link pointing at a kept address.
#include "update/ReleaseNotes.h"

#include <unicode/utf8.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

// The characters of the text; none when it is not well-formed UTF-8.
std::size_t characters(const std::string& text) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());
    std::size_t count = 0;
    for (std::int32_t at = 0; at < length; ++count) {
        UChar32 c = 0;
        U8_NEXT(bytes, at, length, c);
        if (c < 0) {
            std::abort();
        }
    }
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using update::ReleaseNotes;
    const auto notes =
        ReleaseNotes::read(std::string_view(reinterpret_cast<const char*>(data), size));
    std::size_t shown = 0;
    for (const auto& block : notes.blocks()) {
        shown += &block == &notes.blocks().front() ? 0 : 1;
        if (block.listDepth < 0 ||
            static_cast<std::size_t>(block.listDepth) > ReleaseNotes::maxDepth) {
            std::abort();
        }
        for (const auto& run : block.runs) {
            shown += characters(run.text);
            if (run.style.link && *run.style.link >= notes.links().size()) {
                std::abort();
            }
        }
    }
    // The ellipsis of cut notes comes on top.
    if (shown > ReleaseNotes::maxCharacters + 2) {
        std::abort();
    }
    return 0;
}
