#include "update/ReleaseNotes.h"

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <memory>

namespace update {
namespace {

using Block = ReleaseNotes::Block;
using Style = ReleaseNotes::Style;

// What an element of the notes becomes.
enum class Role {
    heading,
    paragraph,
    preformatted,
    list,
    item,
    emphasis,
    strong,
    code,
    link,
    lineBreak,
    separator, // its text stays, on lines of its own
    hidden,    // neither it nor its text shows
};

struct Element {
    std::string_view name;
    Role role;
    // A heading's level; 1 for a numbered list.
    int level = 0;
};

// Every element the reader knows; any other one leaves its text.
constexpr Element elements[] = {
    {"h1", Role::heading, 1},     {"h2", Role::heading, 2},
    {"h3", Role::heading, 3},     {"h4", Role::heading, 4},
    {"h5", Role::heading, 5},     {"h6", Role::heading, 6},
    {"p", Role::paragraph},       {"pre", Role::preformatted},
    {"ul", Role::list, 0},        {"ol", Role::list, 1},
    {"li", Role::item},           {"em", Role::emphasis},
    {"i", Role::emphasis},        {"strong", Role::strong},
    {"b", Role::strong},          {"code", Role::code},
    {"tt", Role::code},           {"kbd", Role::code},
    {"samp", Role::code},         {"a", Role::link},
    {"br", Role::lineBreak},      {"script", Role::hidden},
    {"style", Role::hidden},      {"title", Role::hidden},
    {"template", Role::hidden},   {"div", Role::separator},
    {"table", Role::separator},   {"tr", Role::separator},
    {"td", Role::separator},      {"th", Role::separator},
    {"caption", Role::separator}, {"blockquote", Role::separator},
    {"section", Role::separator}, {"article", Role::separator},
    {"header", Role::separator},  {"footer", Role::separator},
    {"dl", Role::separator},      {"dt", Role::separator},
    {"dd", Role::separator},      {"hr", Role::separator},
    {"figure", Role::separator},  {"figcaption", Role::separator},
    {"details", Role::separator}, {"summary", Role::separator},
};

// The parser gives element names in lower case.
const Element* element(const xmlNode& node) {
    const std::string_view name(reinterpret_cast<const char*>(node.name));
    const auto found = std::find_if(std::begin(elements), std::end(elements),
                                    [&](const Element& e) { return e.name == name; });
    return found == std::end(elements) ? nullptr : found;
}

bool isBlock(Role role) {
    return role == Role::heading || role == Role::paragraph || role == Role::preformatted ||
           role == Role::list || role == Role::item || role == Role::separator;
}

// Longer addresses are dropped with their link; the text stays.
constexpr std::size_t maxAddressBytes = 2048;

bool isSafeAddress(std::string_view address) {
    const auto colon = address.find(':');
    if (address.size() > maxAddressBytes || colon == std::string_view::npos) {
        return false;
    }
    std::string scheme(address.substr(0, colon));
    std::transform(scheme.begin(), scheme.end(), scheme.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return scheme == "http" || scheme == "https" || scheme == "mailto";
}

bool isSpace(UChar32 c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// Notes are HTML when a tag, end tag or comment begins somewhere in them.
bool looksLikeHtml(std::string_view notes) {
    for (auto at = notes.find('<'); at != std::string_view::npos; at = notes.find('<', at + 1)) {
        const auto next = at + 1 < notes.size() ? static_cast<unsigned char>(notes[at + 1]) : 0;
        if (std::isalpha(next) != 0 || next == '/' || next == '!') {
            return true;
        }
    }
    return false;
}

struct DocumentFree {
    void operator()(xmlDoc* document) const { xmlFreeDoc(document); }
};
struct ContextFree {
    void operator()(htmlParserCtxt* context) const { htmlFreeParserCtxt(context); }
};
struct StringFree {
    void operator()(xmlChar* string) const { xmlFree(string); }
};

// Turns the parsed notes, or plain text, into blocks of styled text, spending one character of
// the budget on each character, line break and block break.
class Reader {
public:
    Reader(std::vector<Block>& blocks, std::vector<std::string>& links)
        : blocks(blocks), links(links) {}

    // Walks the tree from `root` without recursion, whatever its depth.
    void read(const xmlNode& root) {
        const xmlNode* node = &root;
        while (node != nullptr && !full) {
            if (enter(*node) && node->children != nullptr) {
                node = node->children;
                continue;
            }
            // Leaves the node, then each parent it was the last child of.
            while (node != nullptr) {
                leave(*node);
                if (node == &root) {
                    node = nullptr;
                } else if (node->next != nullptr) {
                    node = node->next;
                    break;
                } else {
                    node = node->parent;
                }
            }
        }
    }

    // Text kept as written, line breaks and spaces too.
    void verbatim(std::string_view text, const Style& style = {}) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
        const auto length =
            static_cast<std::int32_t>(std::min<std::size_t>(text.size(), INT32_MAX));
        for (std::int32_t at = 0; at < length && !full;) {
            UChar32 c = 0;
            U8_NEXT_OR_FFFD(bytes, at, length, c);
            if (c == '\r') {
                if (at < length && bytes[at] == '\n') {
                    continue;
                }
                c = '\n';
            }
            append(c, style);
        }
    }

    // The notes stop here, with an ellipsis.
    void cut() { blocks.push_back({.runs = {{"…", {}}}}); }

    bool isFull() const { return full; }

private:
    struct Frame {
        const xmlNode* node;
        Role role;
        int level;
        // For a link: its address in `links`, none when it was dropped.
        std::optional<std::size_t> link;
        // For a list: which one it is.
        std::size_t list = 0;
        // For a list item: whether its first block was opened.
        bool itemOpened = false;
    };

    // Answers whether the node's children are read.
    bool enter(const xmlNode& node) {
        if (node.type == XML_TEXT_NODE && node.content != nullptr) {
            text(reinterpret_cast<const char*>(node.content));
            return false;
        }
        if (node.type != XML_ELEMENT_NODE) {
            return false;
        }
        const auto* known = element(node);
        if (known == nullptr) {
            return true;
        }
        switch (known->role) {
        case Role::hidden:
            return false;
        case Role::lineBreak:
            pendingSpace.reset();
            append('\n', currentStyle());
            return false;
        default:
            break;
        }
        if (isBlock(known->role)) {
            endBlock();
        }
        // Deeper elements leave only their text.
        if (known->role == Role::separator || frames.size() >= ReleaseNotes::maxDepth) {
            return true;
        }
        Frame frame{&node, known->role, known->level, std::nullopt};
        if (known->role == Role::list) {
            frame.list = lists++;
        } else if (known->role == Role::link) {
            const std::unique_ptr<xmlChar, StringFree> href(
                xmlGetProp(&node, reinterpret_cast<const xmlChar*>("href")));
            const std::string_view address = href ? reinterpret_cast<const char*>(href.get()) : "";
            if (isSafeAddress(address)) {
                frame.link = links.size();
                links.emplace_back(address);
            }
        }
        frames.push_back(frame);
        return true;
    }

    void leave(const xmlNode& node) {
        if (node.type != XML_ELEMENT_NODE) {
            return;
        }
        if (!frames.empty() && frames.back().node == &node) {
            frames.pop_back();
        }
        if (const auto* known = element(node); known != nullptr && isBlock(known->role)) {
            endBlock();
        }
    }

    // Text as HTML shows it: each run of white space one space, in the style of its first
    // character, and none at a line's start.
    void text(std::string_view text) {
        const auto style = currentStyle();
        if (std::any_of(frames.begin(), frames.end(),
                        [](const Frame& frame) { return frame.role == Role::preformatted; })) {
            verbatim(text, style);
            return;
        }
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
        const auto length = static_cast<std::int32_t>(text.size());
        for (std::int32_t at = 0; at < length && !full;) {
            UChar32 c = 0;
            U8_NEXT_OR_FFFD(bytes, at, length, c);
            if (isSpace(c)) {
                if (blockOpen && !atLineStart && !pendingSpace) {
                    pendingSpace = style;
                }
                continue;
            }
            if (pendingSpace) {
                const auto spaceStyle = *pendingSpace;
                pendingSpace.reset();
                append(' ', spaceStyle);
            }
            append(c, style);
        }
    }

    void append(UChar32 c, const Style& style) {
        if (!blockOpen) {
            // A block after another one begins with a break.
            if (!blocks.empty() && !spend()) {
                return;
            }
            openBlock();
        }
        if (!spend()) {
            return;
        }
        auto& runs = blocks.back().runs;
        if (runs.empty() || !(runs.back().style == style)) {
            runs.push_back({{}, style});
        }
        char encoded[U8_MAX_LENGTH];
        std::int32_t length = 0;
        U8_APPEND_UNSAFE(encoded, length, c);
        runs.back().text.append(encoded, static_cast<std::size_t>(length));
        atLineStart = c == '\n';
    }

    // Spends one character; none is left once the notes are full.
    bool spend() {
        full = full || spent == ReleaseNotes::maxCharacters;
        spent += full ? 0 : 1;
        return !full;
    }

    void openBlock() {
        Block block;
        Frame* item = nullptr;
        for (auto frame = frames.rbegin(); frame != frames.rend(); ++frame) {
            switch (frame->role) {
            case Role::heading:
            case Role::preformatted:
                if (block.kind == Block::Kind::paragraph) {
                    block.kind = frame->role == Role::heading ? Block::Kind::heading
                                                              : Block::Kind::preformatted;
                    block.headingLevel = frame->level;
                }
                break;
            case Role::item:
                item = item ? item : &*frame;
                break;
            case Role::list:
                // The innermost item inside the innermost list shows its marker once.
                if (block.listDepth++ == 0 && item != nullptr && !item->itemOpened) {
                    block.marker =
                        frame->level == 1 ? Block::Marker::number : Block::Marker::bullet;
                    block.list = frame->list;
                    item->itemOpened = true;
                }
                break;
            default:
                break;
            }
        }
        blocks.push_back(std::move(block));
        blockOpen = true;
        atLineStart = true;
    }

    void endBlock() {
        blockOpen = false;
        pendingSpace.reset();
    }

    Style currentStyle() const {
        Style style;
        bool inLink = false;
        for (auto frame = frames.rbegin(); frame != frames.rend(); ++frame) {
            style.emphasis |= frame->role == Role::emphasis;
            style.strong |= frame->role == Role::strong;
            style.code |= frame->role == Role::code;
            if (frame->role == Role::link && !inLink) {
                inLink = true;
                style.link = frame->link;
            }
        }
        return style;
    }

    std::vector<Block>& blocks;
    std::vector<std::string>& links;
    std::vector<Frame> frames;
    std::size_t lists = 0;
    std::size_t spent = 0;
    bool full = false;
    bool blockOpen = false;
    bool atLineStart = true;
    // The style of the white space read since the last character shown, if any.
    std::optional<Style> pendingSpace;
};

} // namespace

ReleaseNotes ReleaseNotes::read(std::string_view downloaded) {
    ReleaseNotes notes;
    notes.downloadedBytes_ = downloaded.size();
    Reader reader(notes.blocks_, notes.links_);
    if (!looksLikeHtml(downloaded)) {
        reader.verbatim(downloaded);
        if (reader.isFull()) {
            reader.cut();
        }
        return notes;
    }
    // Once per process, before any thread parses.
    static const bool initialized = (xmlInitParser(), true);
    (void)initialized;
    const std::unique_ptr<htmlParserCtxt, ContextFree> context(htmlNewParserCtxt());
    if (!context) {
        return notes;
    }
    // Always UTF-8, whatever the notes declare; no network, no messages. The parser stops at
    // its own depth limit (256), and a document nested that deep ends there.
    const std::unique_ptr<xmlDoc, DocumentFree> document(htmlCtxtReadMemory(
        context.get(), downloaded.data(),
        static_cast<int>(std::min<std::size_t>(downloaded.size(), INT32_MAX)), nullptr, "UTF-8",
        HTML_PARSE_RECOVER | HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING));
    if (const auto* root = document ? xmlDocGetRootElement(document.get()) : nullptr) {
        reader.read(*root);
    }
    if (reader.isFull() || context->disableSAX != 0) {
        reader.cut();
    }
    return notes;
}

} // namespace update
