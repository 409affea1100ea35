#include "update/ReleaseNotesBuilder.h"

#include <unicode/utf8.h>

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace update {

using Block = ReleaseNotes::Block;
using Style = ReleaseNotes::Style;

// What an element of the notes becomes.
enum class ReleaseNotesBuilder::Role {
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

struct ReleaseNotesBuilder::Element {
    std::string_view name;
    Role role;
    // A heading's level; 1 for a numbered list.
    int level = 0;
};

// Every element the reader knows; any other one leaves its text. The parser gives element
// names in lower case.
const ReleaseNotesBuilder::Element* ReleaseNotesBuilder::element(std::string_view name) {
    static constexpr Element elements[] = {
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
    const auto found = std::find_if(std::begin(elements), std::end(elements),
                                    [&](const Element& e) { return e.name == name; });
    return found == std::end(elements) ? nullptr : found;
}

bool ReleaseNotesBuilder::isBlock(Role role) {
    return role == Role::heading || role == Role::paragraph || role == Role::preformatted ||
           role == Role::list || role == Role::item || role == Role::separator;
}

namespace {

// Longer addresses are dropped with their link; the text stays.
constexpr std::size_t maxAddressBytes = 2048;

// Only addresses the desktop opens in a browser or mail program become links: a list of
// schemes to refuse would let through every one it forgets (file, data, other programs').
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

// The script a character is written in, none for those shared by all scripts (digits,
// punctuation, marks).
UScriptCode scriptOf(UChar32 c) {
    UErrorCode error = U_ZERO_ERROR;
    const auto script = uscript_getScript(c, &error);
    return U_FAILURE(error) || script == USCRIPT_COMMON || script == USCRIPT_INHERITED
               ? USCRIPT_INVALID_CODE
               : script;
}

} // namespace

void ReleaseNotesBuilder::start(std::string_view name, const char* const* attributes) {
    ++depth;
    if (hiddenDepth != 0 || full) {
        return;
    }
    const auto* known = element(name);
    if (known == nullptr) {
        return;
    }
    switch (known->role) {
    case Role::hidden:
        hiddenDepth = depth;
        return;
    case Role::lineBreak:
        pendingSpace.reset();
        append('\n', currentStyle());
        return;
    default:
        break;
    }
    if (isBlock(known->role)) {
        endBlock();
    }
    // Deeper elements leave only their text.
    if (known->role == Role::separator || frames.size() >= ReleaseNotes::maxDepth) {
        return;
    }
    Frame frame{depth, known->role, known->level, std::nullopt};
    if (known->role == Role::list) {
        frame.list = lists++;
    } else if (known->role == Role::link) {
        std::string_view address;
        for (auto* attribute = attributes; attribute != nullptr && attribute[0] != nullptr;
             attribute += 2) {
            if (std::string_view(attribute[0]) == "href" && attribute[1] != nullptr) {
                address = attribute[1];
                break;
            }
        }
        if (isSafeAddress(address)) {
            frame.link = links.size();
            links.emplace_back(address);
        }
    }
    frames.push_back(frame);
}

void ReleaseNotesBuilder::end(std::string_view name) {
    const auto ended = depth;
    depth -= depth == 0 ? 0 : 1;
    if (hiddenDepth != 0) {
        hiddenDepth = ended == hiddenDepth ? 0 : hiddenDepth;
        return;
    }
    if (!frames.empty() && frames.back().depth == ended) {
        frames.pop_back();
    }
    if (const auto* known = element(name); known != nullptr && isBlock(known->role)) {
        endBlock();
    }
}

void ReleaseNotesBuilder::text(std::string_view text) {
    if (hiddenDepth != 0) {
        return;
    }
    const auto style = currentStyle();
    if (inPreformatted()) {
        verbatim(text, style);
        return;
    }
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(std::min<std::size_t>(text.size(), INT32_MAX));
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

void ReleaseNotesBuilder::verbatim(std::string_view text) {
    verbatim(text, {});
}

void ReleaseNotesBuilder::cut() {
    blocks.push_back({.runs = {{"…", {}}}});
}

void ReleaseNotesBuilder::verbatim(std::string_view text, const Style& style) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(std::min<std::size_t>(text.size(), INT32_MAX));
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

void ReleaseNotesBuilder::append(UChar32 c, const Style& style) {
    if (!blockOpen && !openBlock()) {
        return;
    }
    auto& runs = blocks.back().runs;
    const bool newRun = runs.empty() || !(runs.back().style == style);
    const auto characterScript = scriptOf(c);
    const bool newScript = characterScript != USCRIPT_INVALID_CODE &&
                           script != USCRIPT_INVALID_CODE && characterScript != script;
    if (!spend(1 + (newRun && !runs.empty() ? styleChangeCost : 0) +
               (newScript ? scriptChangeCost : 0))) {
        return;
    }
    if (newRun) {
        runs.push_back({{}, style});
    }
    script = characterScript == USCRIPT_INVALID_CODE ? script : characterScript;
    char encoded[U8_MAX_LENGTH];
    std::int32_t length = 0;
    U8_APPEND_UNSAFE(encoded, length, c);
    runs.back().text.append(encoded, static_cast<std::size_t>(length));
    atLineStart = c == '\n';
}

// Spends from the budget; once a part does not fit, nothing more does.
bool ReleaseNotesBuilder::spend(std::size_t cost) {
    full = full || spent + cost > ReleaseNotes::maxCharacters;
    spent += full ? 0 : cost;
    return !full;
}

bool ReleaseNotesBuilder::openBlock() {
    Block block;
    Frame* item = nullptr;
    for (auto frame = frames.rbegin(); frame != frames.rend(); ++frame) {
        switch (frame->role) {
        case Role::heading:
        case Role::preformatted:
            if (block.kind == Block::Kind::paragraph) {
                block.kind =
                    frame->role == Role::heading ? Block::Kind::heading : Block::Kind::preformatted;
                block.headingLevel = frame->level;
            }
            break;
        case Role::item:
            item = item ? item : &*frame;
            break;
        case Role::list:
            // The innermost item inside the innermost list shows its marker once.
            if (block.listDepth++ == 0 && item != nullptr && !item->itemOpened) {
                block.marker = frame->level == 1 ? Block::Marker::number : Block::Marker::bullet;
                block.list = frame->list;
                item->itemOpened = true;
            }
            break;
        default:
            break;
        }
    }
    // A block after another one begins with a break.
    if (!spend((blocks.empty() ? 0 : 1) + blockCost +
               (block.marker == Block::Marker::none ? 0 : markerCost))) {
        return false;
    }
    blocks.push_back(std::move(block));
    blockOpen = true;
    atLineStart = true;
    script = USCRIPT_INVALID_CODE;
    return true;
}

void ReleaseNotesBuilder::endBlock() {
    blockOpen = false;
    pendingSpace.reset();
}

bool ReleaseNotesBuilder::inPreformatted() const {
    return std::any_of(frames.begin(), frames.end(),
                       [](const Frame& frame) { return frame.role == Role::preformatted; });
}

Style ReleaseNotesBuilder::currentStyle() const {
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

} // namespace update
