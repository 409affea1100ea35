#include "update/ArchiveExtractor.h"

#include "update/ExtractedLinks.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

namespace update::ArchiveExtractor {
namespace {

using ReadArchive = std::unique_ptr<archive, decltype(&archive_read_free)>;
using WriteArchive = std::unique_ptr<archive, decltype(&archive_write_free)>;

UpdateError refusal(std::string text) {
    return {UpdateErrorCode::unarchiving, "The update archive could not be extracted: " + text};
}

constexpr const char* tangled = "its links lead through one another too often";

// A path as errors show it: in quotes, and cut (at the start of a character) where it would
// make a message of kilobytes.
std::string named(std::string_view path) {
    constexpr std::size_t shownBytes = 160;
    if (path.size() <= shownBytes) {
        return "\"" + std::string(path) + "\"";
    }
    std::size_t cut = shownBytes;
    while (cut > 0 && (static_cast<unsigned char>(path[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return "\"" + std::string(path.substr(0, cut)) + "…\"";
}

// What one pass over a relative path tells.
struct PathShape {
    // Components other than empty and "." ones.
    std::size_t depth = 0;
    std::size_t longestName = 0;
    bool hasDotDot = false;
};

PathShape shapeOf(std::string_view path) {
    PathShape shape;
    while (!path.empty()) {
        const auto slash = path.find('/');
        const auto component = path.substr(0, slash);
        shape.longestName = std::max(shape.longestName, component.size());
        shape.hasDotDot = shape.hasDotDot || component == "..";
        if (!component.empty() && component != ".") {
            ++shape.depth;
        }
        path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
    }
    return shape;
}

// Why the file system (or the bound on work) cannot take `path` as it is, `prefix` bytes of
// folder before it; none when it can. Nothing of such a path is written, and nothing reads it
// component by component again.
std::optional<std::string> sizeProblem(std::string_view path, const PathShape& shape,
                                       std::size_t prefix) {
    if (prefix + path.size() >= PATH_MAX) {
        return "is longer than the file system allows";
    }
    if (shape.longestName > NAME_MAX) {
        return "has a name longer than the file system allows";
    }
    if (shape.depth > maxPathDepth) {
        return "is nested more than " + std::to_string(maxPathDepth) + " folders deep";
    }
    return std::nullopt;
}

// Why the entry may not be extracted; none when it stays inside the target folder, `rootLength`
// bytes long. Links are judged by `links`, through the links written before them.
std::optional<std::string> entryProblem(archive_entry* entry, std::size_t rootLength,
                                        ExtractedLinks& links) {
    const char* rawPath = archive_entry_pathname(entry);
    const std::string_view path = rawPath ? rawPath : "";
    // The length first: a path of megabytes is not read any further.
    const auto shape = path.size() < PATH_MAX ? shapeOf(path) : PathShape{};
    if (auto problem = sizeProblem(path, shape, rootLength + 1)) {
        return "the entry " + named(path) + " " + *problem;
    }
    if (path.empty() || path.front() == '/' || shape.hasDotDot) {
        return "the entry " + named(path) + " leaves the target folder";
    }
    const auto type = archive_entry_filetype(entry);
    if (const char* hardlink = archive_entry_hardlink(entry)) {
        const std::string_view target = hardlink;
        const auto targetShape = target.size() < PATH_MAX ? shapeOf(target) : PathShape{};
        if (auto problem = sizeProblem(target, targetShape, rootLength + 1)) {
            return "the target of the hard link " + named(path) + " " + *problem;
        }
        if (!links.admitHardLink(path, target)) {
            return "the hard link " + named(path) + " leaves the target folder";
        }
        return std::nullopt;
    }
    if (type == AE_IFLNK) {
        const char* rawTarget = archive_entry_symlink(entry);
        const std::string_view target = rawTarget ? rawTarget : "";
        const auto targetShape = target.size() < PATH_MAX ? shapeOf(target) : PathShape{};
        if (auto problem = sizeProblem(target, targetShape, 0)) {
            return "the target of the link " + named(path) + " " + *problem;
        }
        // Where it leads is known once every link is written; nothing follows it before.
        links.record(path, target);
        return std::nullopt;
    }
    if (type != AE_IFREG && type != AE_IFDIR) {
        return "the entry " + named(path) + " is not a file, folder or link";
    }
    links.record(path, std::nullopt);
    return std::nullopt;
}

// How many bytes the archive may unpack to (the total cap, and no more than the ratio allows),
// and how many it has so far.
struct DataLimit {
    std::uint64_t bytes = 0;
    const char* problem = "";
    std::uint64_t used = 0;

    // Counts `more` bytes; false past the limit.
    bool take(std::uint64_t more) {
        if (more > bytes - used) {
            return false;
        }
        used += more;
        return true;
    }
};

DataLimit dataLimit(std::uint64_t archiveSize, const Options& options) {
    const auto ratio = options.maxExpansionRatio;
    const auto byRatio =
        ratio != 0 && archiveSize > std::numeric_limits<std::uint64_t>::max() / ratio
            ? std::numeric_limits<std::uint64_t>::max()
            : archiveSize * ratio;
    if (byRatio < options.maxExtractedBytes) {
        return {byRatio, "it unpacks to far more data than its own size"};
    }
    return {options.maxExtractedBytes, "it holds more data than allowed"};
}

// Why writing the entry at `path` failed: the path on disk and the reason ("No space left on
// device"), not libarchive's bare "Write failed".
UpdateError writeFailure(archive* writer, const char* path) {
    const int error = archive_errno(writer);
    const char* reason = error > 0                      ? std::strerror(error)
                         : archive_error_string(writer) ? archive_error_string(writer)
                                                        : "unknown error";
    return refusal("\"" + std::string(path) + "\" could not be written (" + reason + ")");
}

bool isCancelled(const Options& options) {
    return options.cancelled && options.cancelled->load();
}

UpdateError cancellation() {
    return {UpdateErrorCode::installationCanceled, "The update was cancelled."};
}

// Tells `options` the share of the archive, `archiveSize` bytes, read so far.
void reportProgress(archive* reader, std::size_t archiveSize, const Options& options) {
    if (options.onProgress && archiveSize > 0) {
        const auto consumed = static_cast<double>(archive_filter_bytes(reader, -1));
        options.onProgress(std::min(1.0, consumed / static_cast<double>(archiveSize)));
    }
}

// Copies the entry's data, block by block, reporting progress after each: a large entry shows
// how far it got and stops at the next block once cancelled. `counted` bytes of it, its
// declared size, are already in `limit`, and a block reaching further counts up to its end.
std::optional<UpdateError> copyData(archive* reader, std::size_t archiveSize, archive* writer,
                                    const char* path, std::uint64_t counted, DataLimit& limit,
                                    const Options& options) {
    const void* block = nullptr;
    std::size_t size = 0;
    la_int64_t offset = 0;
    while (true) {
        if (isCancelled(options)) {
            return cancellation();
        }
        const int status = archive_read_data_block(reader, &block, &size, &offset);
        if (status == ARCHIVE_EOF) {
            return std::nullopt;
        }
        if (status != ARCHIVE_OK || offset < 0) {
            return refusal(archive_error_string(reader) ? archive_error_string(reader)
                                                        : "damaged data");
        }
        const auto end = static_cast<std::uint64_t>(offset) + size;
        if (end > counted) {
            if (!limit.take(end - counted)) {
                return refusal(limit.problem);
            }
            counted = end;
        }
        // A failed write is only a warning to libarchive: on a full disk the entry would be
        // finished with a hole where its data should be.
        if (archive_write_data_block(writer, block, size, offset) != ARCHIVE_OK) {
            return writeFailure(writer, path);
        }
        reportProgress(reader, archiveSize, options);
    }
}

} // namespace

std::optional<UpdateError> extract(std::string_view archiveBytes,
                                   const std::filesystem::path& destination,
                                   const Options& options) {
    std::error_code error;
    // Resolved once, so the check for links on the way only looks inside the archive's paths.
    const auto root = std::filesystem::canonical(destination, error);
    if (error) {
        return refusal("the target folder is missing");
    }
    ReadArchive reader(archive_read_new(), archive_read_free);
    WriteArchive writer(archive_write_disk_new(), archive_write_free);
    archive_read_support_filter_all(reader.get());
    archive_read_support_format_all(reader.get());
    archive_write_disk_set_options(writer.get(), ARCHIVE_EXTRACT_TIME | ARCHIVE_EXTRACT_PERM |
                                                     ARCHIVE_EXTRACT_SECURE_SYMLINKS |
                                                     ARCHIVE_EXTRACT_SECURE_NODOTDOT);
    if (archive_read_open_memory(reader.get(), archiveBytes.data(), archiveBytes.size()) !=
        ARCHIVE_OK) {
        return refusal("it is not an archive");
    }
    auto limit = dataLimit(archiveBytes.size(), options);
    ExtractedLinks links(maxPathDepth);
    std::uint64_t entries = 0;
    archive_entry* entry = nullptr;
    while (true) {
        if (isCancelled(options)) {
            return cancellation();
        }
        const int status = archive_read_next_header(reader.get(), &entry);
        if (status == ARCHIVE_EOF) {
            break;
        }
        if (status != ARCHIVE_OK && status != ARCHIVE_WARN) {
            return refusal("it is damaged");
        }
        if (++entries > options.maxEntries) {
            return refusal("it holds more entries than allowed");
        }
        if (auto problem = entryProblem(entry, root.native().size(), links)) {
            return refusal(links.exhausted() ? tangled : *problem);
        }
        archive_entry_set_pathname(entry, (root / archive_entry_pathname(entry)).c_str());
        if (const char* hardlink = archive_entry_hardlink(entry)) {
            archive_entry_set_hardlink(entry, (root / hardlink).c_str());
        }
        // Never set-user-id, set-group-id or sticky bits from a download, and nothing that others
        // may write to.
        archive_entry_set_perm(entry, archive_entry_perm(entry) & 0755);
        // The declared size counts, not the bytes stored: the holes of a sparse file take no
        // room in the archive but become data on the disk.
        const auto declared =
            static_cast<std::uint64_t>(std::max<la_int64_t>(0, archive_entry_size(entry)));
        if (!limit.take(declared)) {
            return refusal(limit.problem);
        }
        const char* path = archive_entry_pathname(entry);
        if (archive_write_header(writer.get(), entry) != ARCHIVE_OK) {
            return writeFailure(writer.get(), path);
        }
        if (declared > 0) {
            if (auto failure = copyData(reader.get(), archiveBytes.size(), writer.get(), path,
                                        declared, limit, options)) {
                return failure;
            }
        }
        if (archive_write_finish_entry(writer.get()) != ARCHIVE_OK) {
            return writeFailure(writer.get(), path);
        }
        reportProgress(reader.get(), archiveBytes.size(), options);
    }
    if (entries == 0) {
        return refusal("it is empty");
    }
    if (const auto escaping = links.firstEscapingLink()) {
        return refusal(links.exhausted()
                           ? tangled
                           : "the link " + named(*escaping) + " points outside the target folder");
    }
    return std::nullopt;
}

} // namespace update::ArchiveExtractor
