#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace update {

// Downloaded release notes, read into what a notes view may show. No signature covers them and
// they may come over plain http, so the reader goes through them once, in time linear in their
// size, and keeps only what release notes need: headings, paragraphs, lists, links, emphasis
// and code, nested at most `maxDepth` deep, in at most about `maxHtmlBytes`. Every other
// element (tables, images, scripts, styles...) leaves only its text; scripts and styles not
// even that.
class ReleaseNotes {
public:
    static constexpr std::size_t maxDepth = 16;
    static constexpr std::size_t maxHtmlBytes = 256 * 1024;

    // Reads HTML notes, or plain text when they hold no tag.
    static ReleaseNotes read(std::string_view downloaded);

    // The notes as well-nested HTML of the kept elements, their text escaped; links keep only
    // http, https and mailto addresses. Longer notes end in "…".
    const std::string& html() const { return html_; }
    // The size of the notes as they were downloaded.
    std::size_t downloadedBytes() const { return downloadedBytes_; }

private:
    ReleaseNotes(std::string html, std::size_t downloadedBytes)
        : html_(std::move(html)), downloadedBytes_(downloadedBytes) {}

    std::string html_;
    std::size_t downloadedBytes_ = 0;
};

} // namespace update
