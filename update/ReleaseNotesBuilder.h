#pragma once

#include "update/ReleaseNotes.h"

#include <unicode/uscript.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace update {

// Turns the elements and text of release notes, as the HTML parser reports them, or plain text,
// into blocks of styled text. Each part of the notes spends what laying it out in the window
// costs from one budget of `ReleaseNotes::maxCharacters`: a character, a line break or a block
// break one each, a block, a list item's marker, a change of style and a change of script more
// (bench/update_bench); once the next part does not fit, the notes are full.
class ReleaseNotesBuilder {
public:
    static constexpr std::size_t blockCost = 3;
    static constexpr std::size_t markerCost = 8;
    static constexpr std::size_t styleChangeCost = 2;
    static constexpr std::size_t scriptChangeCost = 3;

    ReleaseNotesBuilder(std::vector<ReleaseNotes::Block>& blocks, std::vector<std::string>& links)
        : blocks(blocks), links(links) {}

    // An element begins: its lower-case name and its attributes, name and value in turn up to
    // a null name, as the parser gives them.
    void start(std::string_view name, const char* const* attributes);
    // The element begun last of those still open ends.
    void end(std::string_view name);
    // Text of the notes as HTML shows it: each run of white space one space, in the style of its
    // first character, and none at a line's start; in preformatted text kept as written.
    void text(std::string_view text);
    // Text kept as written, line breaks and spaces too.
    void verbatim(std::string_view text);
    // The notes stop here, with an ellipsis.
    void cut();

    bool isFull() const { return full; }
    // The elements begun and not ended, known or not.
    std::size_t openElements() const { return depth; }

private:
    enum class Role;
    struct Element;
    static const Element* element(std::string_view name);
    static bool isBlock(Role role);

    struct Frame {
        std::size_t depth;
        Role role;
        int level;
        // For a link: its address in `links`, none when it was dropped.
        std::optional<std::size_t> link;
        // For a list: which one it is.
        std::size_t list = 0;
        // For a list item: whether its first block was opened.
        bool itemOpened = false;
    };

    void verbatim(std::string_view text, const ReleaseNotes::Style& style);
    void append(UChar32 c, const ReleaseNotes::Style& style);
    bool openBlock();
    void endBlock();
    bool spend(std::size_t cost);
    bool inPreformatted() const;
    ReleaseNotes::Style currentStyle() const;

    std::vector<ReleaseNotes::Block>& blocks;
    std::vector<std::string>& links;
    std::vector<Frame> frames;
    std::size_t depth = 0;
    // The depth of the hidden element (a script, style, title or template) being skipped with
    // all it holds; 0 for none.
    std::size_t hiddenDepth = 0;
    std::size_t lists = 0;
    std::size_t spent = 0;
    bool full = false;
    bool blockOpen = false;
    bool atLineStart = true;
    // The script of the block's last character that has one of its own.
    UScriptCode script = USCRIPT_INVALID_CODE;
    // The style of the white space read since the last character shown, if any.
    std::optional<ReleaseNotes::Style> pendingSpace;
};

} // namespace update
