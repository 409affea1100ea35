// Extracts arbitrary bytes as an update archive into a scratch folder inside a private parent:
// nothing may appear beside the scratch folder, and nothing may crash.
#include "update/ArchiveExtractor.h"

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace {

const std::filesystem::path& parentFolder() {
    static const std::filesystem::path folder = [] {
        std::string pattern = std::filesystem::temp_directory_path() / "tessaline-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            abort();
        }
        return std::filesystem::path(pattern);
    }();
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto& parent = parentFolder();
    const auto target = parent / "target";
    std::error_code error;
    std::filesystem::remove_all(target, error);
    std::filesystem::create_directory(target, error);
    update::ArchiveExtractor::Options options;
    options.maxExtractedBytes = 1 << 20;
    (void)update::ArchiveExtractor::extract(
        std::string_view(reinterpret_cast<const char*>(data), size), target, options);
    // Anything beside the target folder escaped it.
    for (const auto& entry : std::filesystem::directory_iterator(parent, error)) {
        if (entry.path() != target) {
            abort();
        }
    }
    return 0;
}
