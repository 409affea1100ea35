// Extracts arbitrary bytes as an update archive into a scratch folder inside a private parent:
// nothing may appear beside the scratch folder, no link of an accepted archive may lead out of
// it, and nothing may crash.
#include "update/ArchiveExtractor.h"

#include <stdlib.h>

#include <algorithm>
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
    const auto refused = update::ArchiveExtractor::extract(
        std::string_view(reinterpret_cast<const char*>(data), size), target, options);
    if (!refused) {
        const auto root = std::filesystem::canonical(target);
        std::error_code walking;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(target, walking)) {
            std::error_code reading;
            if (!entry.is_symlink(reading)) {
                continue;
            }
            // Folders the archive closed to their owner cannot be read through; that is no way
            // out.
            const auto leads = std::filesystem::weakly_canonical(entry.path(), reading);
            const bool inside =
                std::mismatch(root.begin(), root.end(), leads.begin(), leads.end()).first ==
                root.end();
            if (!reading && !inside) {
                abort();
            }
        }
    }
    // Anything beside the target folder escaped it.
    for (const auto& entry : std::filesystem::directory_iterator(parent, error)) {
        if (entry.path() != target) {
            abort();
        }
    }
    return 0;
}
