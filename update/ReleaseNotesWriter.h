#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace update {

// Writes the HTML of release notes from the elements a reader finds: well nested, no deeper
// than its depth and no longer than its size (then it ends in "…"), text escaped.
class ReleaseNotesWriter {
public:
    // What a known element of the notes becomes.
    enum class Kind {
        block, // a heading, paragraph or preformatted block
        list,  // a bulleted or numbered list
        listItem,
        phrase, // emphasis, strong emphasis or code
        link,   // kept with its address when that is http, https or mailto
        lineBreak,
        separator, // its text stays, on a line of its own
        hidden,    // neither it nor its text shows (scripts, styles)
    };
    struct Element {
        std::string_view name;
        Kind kind;
        // The tag written for it.
        std::string_view writtenAs;
    };

    ReleaseNotesWriter(std::size_t maxDepth, std::size_t maxBytes);

    void start(const Element& element, std::string_view href);
    void end(const Element& element);
    void text(std::string_view text);
    // Notes without markup, kept as written, line breaks and spaces too.
    void plainText(std::string_view text);
    // Whether the size is reached: nothing more is written.
    bool isFull() const { return cut; }
    // Notes the notes were longer than what was written.
    void markCut() { cut = true; }
    // The HTML, with every element still open closed.
    std::string finish();

private:
    struct Open {
        std::string_view writtenAs;
        // False for a link whose address was dropped: its end tag writes nothing either.
        bool written;
    };
    // Closes the open elements down to and with the innermost one written as `writtenAs` that
    // lies above every open element of the kinds in `barrier`; none closed when there is none.
    void closeThrough(std::string_view writtenAs, std::vector<std::string_view> barrier = {});
    void closeTop();
    void separate();
    // Appends the escaped text, as much as the size leaves room for.
    void appendEscaped(std::string_view text);

    std::size_t maxDepth;
    std::size_t maxBytes;
    std::string html;
    std::vector<Open> open;
    // Nothing but white space written since the last line break or block boundary.
    bool atLineStart = true;
    bool cut = false;
};

} // namespace update
