#pragma once

#include "update/UpdateError.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

namespace update {

// Unpacks a downloaded (and already verified) update archive: zip or tar, plain or compressed.
namespace ArchiveExtractor {

struct Options {
    // The extracted data may not exceed this many bytes in total,
    std::uint64_t maxExtractedBytes = std::uint64_t{4} << 30;
    // nor this many times the size of the archive.
    std::uint64_t maxExpansionRatio = 20;
    // No more entries than this.
    std::uint64_t maxEntries = 100'000;
    // Called with the share of the archive read so far, from 0 to 1, after each entry and each
    // block of data.
    std::function<void(double fraction)> onProgress;
    // Set from another thread (or from `onProgress`) to stop at the next entry or block of data.
    const std::atomic<bool>* cancelled = nullptr;
};

// No path of an entry or a link has more components than this.
inline constexpr std::size_t maxPathDepth = 64;

// Extracts `archive` into the existing folder `destination`. Refuses, with an `unarchiving`
// error, absolute paths, ".." components, symbolic and hard links that lead outside the folder
// (read through the links written before them), paths that pass through a link on disk,
// special files, and archives that are empty, damaged or larger than allowed (each entry counts
// its declared size, a sparse file's holes too). Paths and link targets deeper than
// `maxPathDepth`, with a name longer than NAME_MAX or, in the folder, longer than PATH_MAX are
// refused before anything is written for them, so the work per entry stays bounded. Modes keep
// neither set-id bits nor write bits for group and others. A file that cannot be written is
// named with the reason (a full disk). A cancellation fails with `installationCanceled`.
// What was extracted before a refusal stays in the folder; the caller removes the folder.
std::optional<UpdateError>
extract(std::string_view archive, const std::filesystem::path& destination, const Options& options);

} // namespace ArchiveExtractor

} // namespace update
