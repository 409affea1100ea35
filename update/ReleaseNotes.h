#pragma once

#include <atomic>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace update {

// Downloaded release notes, read into what a notes view may show. No signature covers them and
// they may come over plain http, so libxml2's HTML parser reads them (on the updater's worker)
// and only text in a few kinds of blocks and styles comes out: nothing of the notes is ever read
// as markup again. Kept: headings, paragraphs, preformatted text, lists, links (http, https and
// mailto), emphasis and code, nested at most `maxDepth` deep. Every other element leaves its
// text, on lines of its own for tables and other blocks; scripts, styles, titles and templates
// not even that. What shows costs at most `maxCharacters`: each character, line break and block
// break one, each block, list marker, change of style and change of script more
// (ReleaseNotesBuilder). The parser's work is charged as it happens against a bound of reports,
// the comparisons of a start tag's attribute names with each other among them, in a tag it
// drops as in one it keeps, and each '&' fed (a reference in an attribute value costs a look-up
// and reports nothing). A start tag or comment still unfinished after 8 KiB is skipped unread,
// its end found as the parser reads one; a skipped start tag still begins its element, without
// attributes, so what a script, style or title holds stays hidden. The notes go on after it, as
// they do after an end tag that closes nothing or closes the html element. Notes that pass the
// shown budget, the bound of reports or 256 levels of nesting end there, in a paragraph "…".
class ReleaseNotes {
public:
    static constexpr std::size_t maxDepth = 16;
    // As much as the window builds, lays out and paints within 100 ms on the main thread,
    // however the notes are made, while the worker reads the worst notes found within 100 ms
    // (bench/update_bench); a few pages of notes.
    static constexpr std::size_t maxCharacters = 10 * 1024;

    struct Style {
        bool emphasis = false;
        bool strong = false;
        bool code = false;
        // The address in `links()`; none outside links.
        std::optional<std::size_t> link;
        bool operator==(const Style&) const = default;
    };
    // Text in one style: well-formed UTF-8 where "\n" breaks the line.
    struct Run {
        std::string text;
        Style style;
    };
    struct Block {
        enum class Kind { paragraph, heading, preformatted };
        enum class Marker { none, bullet, number };
        Kind kind = Kind::paragraph;
        // 1 to 6 for a heading.
        int headingLevel = 0;
        // The lists around the block.
        int listDepth = 0;
        // The first block of a list item shows its bullet or number; items of one list have
        // one `list`, so they count on from each other.
        Marker marker = Marker::none;
        std::size_t list = 0;
        std::vector<Run> runs;
    };

    // Reads HTML notes, or plain text (kept as written, line breaks and spaces too) when they
    // hold no tag. Once `cancelled` is set the reading stops before its next slice of 1 KiB,
    // and what it gives is of no use.
    static ReleaseNotes read(std::string_view downloaded,
                             const std::atomic<bool>& cancelled = notCancelled);

    const std::vector<Block>& blocks() const { return blocks_; }
    // The http, https and mailto addresses of the links.
    const std::vector<std::string>& links() const { return links_; }
    // The size of the notes as they were downloaded.
    std::size_t downloadedBytes() const { return downloadedBytes_; }

private:
    ReleaseNotes() = default;

    static const std::atomic<bool> notCancelled;

    std::vector<Block> blocks_;
    std::vector<std::string> links_;
    std::size_t downloadedBytes_ = 0;
};

} // namespace update
