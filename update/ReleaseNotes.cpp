#include "update/ReleaseNotes.h"

#include "update/ReleaseNotesWriter.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <optional>
#include <utility>

namespace update {
namespace {

using Kind = ReleaseNotesWriter::Kind;
using Element = ReleaseNotesWriter::Element;

// Every element the reader knows; any other tag is dropped and its text kept.
constexpr Element elements[] = {
    {"h1", Kind::block, "h1"},        {"h2", Kind::block, "h2"},
    {"h3", Kind::block, "h3"},        {"h4", Kind::block, "h4"},
    {"h5", Kind::block, "h5"},        {"h6", Kind::block, "h6"},
    {"p", Kind::block, "p"},          {"pre", Kind::block, "pre"},
    {"ul", Kind::list, "ul"},         {"ol", Kind::list, "ol"},
    {"li", Kind::listItem, "li"},     {"em", Kind::phrase, "em"},
    {"i", Kind::phrase, "em"},        {"strong", Kind::phrase, "strong"},
    {"b", Kind::phrase, "strong"},    {"code", Kind::phrase, "code"},
    {"tt", Kind::phrase, "code"},     {"kbd", Kind::phrase, "code"},
    {"samp", Kind::phrase, "code"},   {"a", Kind::link, "a"},
    {"br", Kind::lineBreak, "br"},    {"script", Kind::hidden, ""},
    {"style", Kind::hidden, ""},      {"title", Kind::hidden, ""},
    {"template", Kind::hidden, ""},   {"div", Kind::separator, ""},
    {"table", Kind::separator, ""},   {"tr", Kind::separator, ""},
    {"td", Kind::separator, ""},      {"th", Kind::separator, ""},
    {"caption", Kind::separator, ""}, {"blockquote", Kind::separator, ""},
    {"section", Kind::separator, ""}, {"article", Kind::separator, ""},
    {"header", Kind::separator, ""},  {"footer", Kind::separator, ""},
    {"dl", Kind::separator, ""},      {"dt", Kind::separator, ""},
    {"dd", Kind::separator, ""},      {"hr", Kind::separator, ""},
    {"figure", Kind::separator, ""},  {"figcaption", Kind::separator, ""},
    {"details", Kind::separator, ""}, {"summary", Kind::separator, ""},
};

const Element* element(std::string_view lowerCaseName) {
    const auto found = std::find_if(std::begin(elements), std::end(elements),
                                    [&](const Element& e) { return e.name == lowerCaseName; });
    return found == std::end(elements) ? nullptr : found;
}

bool isLetter(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

char lowered(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// Notes are HTML when a tag, end tag or comment begins somewhere in them.
bool looksLikeHtml(std::string_view notes) {
    for (auto at = notes.find('<'); at != std::string_view::npos; at = notes.find('<', at + 1)) {
        if (at + 1 < notes.size() &&
            (isLetter(notes[at + 1]) || notes[at + 1] == '/' || notes[at + 1] == '!')) {
            return true;
        }
    }
    return false;
}

void appendUtf8(std::string& text, std::uint32_t scalar) {
    if (scalar == 0 || scalar > 0x10FFFF || (scalar >= 0xD800 && scalar <= 0xDFFF)) {
        scalar = 0xFFFD;
    }
    if (scalar < 0x80) {
        text += static_cast<char>(scalar);
    } else if (scalar < 0x800) {
        text += static_cast<char>(0xC0 | (scalar >> 6));
        text += static_cast<char>(0x80 | (scalar & 0x3F));
    } else if (scalar < 0x10000) {
        text += static_cast<char>(0xE0 | (scalar >> 12));
        text += static_cast<char>(0x80 | ((scalar >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (scalar & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (scalar >> 18));
        text += static_cast<char>(0x80 | ((scalar >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((scalar >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (scalar & 0x3F));
    }
}

// The character of the entity at the start of `text` ("&amp;", "&#8230;", "&#x2026;") and the
// entity's length; none for anything else, which then stays as written.
std::optional<std::pair<std::string, std::size_t>> entity(std::string_view text) {
    const auto end = text.substr(0, 12).find(';');
    if (end == std::string_view::npos || end < 2) {
        return std::nullopt;
    }
    const auto name = text.substr(1, end - 1);
    static constexpr std::pair<std::string_view, std::string_view> named[] = {
        {"amp", "&"},   {"lt", "<"},        {"gt", ">"},     {"quot", "\""},
        {"apos", "'"},  {"nbsp", "\u00A0"}, {"hellip", "…"}, {"mdash", "—"},
        {"ndash", "–"}, {"lsquo", "‘"},     {"rsquo", "’"},  {"ldquo", "“"},
        {"rdquo", "”"}, {"bull", "•"},      {"copy", "©"},   {"trade", "™"},
    };
    for (const auto& [entityName, character] : named) {
        if (name == entityName) {
            return std::pair(std::string(character), end + 1);
        }
    }
    if (name.front() != '#' || name.size() < 2) {
        return std::nullopt;
    }
    const bool hex = name[1] == 'x' || name[1] == 'X';
    const auto digits = name.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 8) {
        return std::nullopt;
    }
    std::uint32_t scalar = 0;
    for (const char c : digits) {
        const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                          : hex && std::isxdigit(static_cast<unsigned char>(c))
                              ? lowered(c) - 'a' + 10
                              : -1;
        if (digit < 0) {
            return std::nullopt;
        }
        scalar = scalar * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
    }
    std::string character;
    appendUtf8(character, scalar);
    return std::pair(std::move(character), end + 1);
}

std::string decoded(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        if (text[at] == '&') {
            if (auto found = entity(text.substr(at))) {
                result += found->first;
                at += found->second;
                continue;
            }
        }
        result += text[at++];
    }
    return result;
}

// A tag's name, lower-cased, from `at`; names longer than any known one come back cut, so they
// match nothing.
std::string tagName(std::string_view text, std::size_t& at) {
    std::string name;
    while (at < text.size() && (std::isalnum(static_cast<unsigned char>(text[at])) != 0)) {
        if (name.size() <= 12) {
            name += lowered(text[at]);
        }
        ++at;
    }
    return name;
}

// Reads the attributes of a start tag from `at` up to and past its ">"; answers the value of
// `wanted`, if the tag has it.
std::string attributes(std::string_view text, std::size_t& at, std::string_view wanted) {
    std::string value;
    while (at < text.size()) {
        while (at < text.size() && (isSpace(text[at]) || text[at] == '/')) {
            ++at;
        }
        if (at >= text.size() || text[at] == '>') {
            break;
        }
        std::string name;
        while (at < text.size() && !isSpace(text[at]) && text[at] != '/' && text[at] != '>' &&
               text[at] != '=') {
            name += lowered(text[at++]);
        }
        while (at < text.size() && isSpace(text[at])) {
            ++at;
        }
        if (at >= text.size() || text[at] != '=') {
            continue;
        }
        ++at;
        while (at < text.size() && isSpace(text[at])) {
            ++at;
        }
        std::size_t end = at;
        std::size_t next = at;
        if (at < text.size() && (text[at] == '"' || text[at] == '\'')) {
            end = std::min(text.find(text[at], at + 1), text.size());
            ++at;
            next = std::min(end + 1, text.size());
        } else {
            while (end < text.size() && !isSpace(text[end]) && text[end] != '>') {
                ++end;
            }
            next = end;
        }
        if (name == wanted) {
            value = decoded(text.substr(at, end - at));
        }
        at = next;
    }
    at = std::min(at + 1, text.size());
    return value;
}

// The position just past the end tag of the hidden element `name` from `at`, or the end.
std::size_t pastEndTag(std::string_view text, std::size_t at, std::string_view name) {
    for (at = text.find("</", at); at != std::string_view::npos; at = text.find("</", at + 2)) {
        const auto candidate = text.substr(at + 2, name.size());
        if (std::equal(candidate.begin(), candidate.end(), name.begin(), name.end(),
                       [](char a, char b) { return lowered(a) == b; })) {
            const auto close = text.find('>', at);
            return close == std::string_view::npos ? text.size() : close + 1;
        }
    }
    return text.size();
}

// Reads the markup that starts with "<" at `at` into `writer`; answers where the text goes on.
std::size_t readMarkup(std::string_view text, std::size_t at, ReleaseNotesWriter& writer) {
    const auto skipPast = [&](std::string_view end, std::size_t from) {
        const auto found = text.find(end, from);
        return found == std::string_view::npos ? text.size() : found + end.size();
    };
    if (text.substr(at).starts_with("<!--")) {
        return skipPast("-->", at + 4);
    }
    const char next = at + 1 < text.size() ? text[at + 1] : '\0';
    if (next == '!' || next == '?' ||
        (next == '/' && !(at + 2 < text.size() && isLetter(text[at + 2])))) {
        return skipPast(">", at);
    }
    if (next == '/') {
        std::size_t position = at + 2;
        const auto name = tagName(text, position);
        if (const auto* known = element(name)) {
            writer.end(*known);
        }
        return skipPast(">", position);
    }
    if (!isLetter(next)) {
        writer.text("<");
        return at + 1;
    }
    std::size_t position = at + 1;
    const auto name = tagName(text, position);
    const auto* known = element(name);
    const auto href = attributes(text, position, known && known->kind == Kind::link ? "href" : "");
    if (!known) {
        return position;
    }
    if (known->kind == Kind::hidden) {
        return pastEndTag(text, position, name);
    }
    writer.start(*known, href);
    return position;
}

} // namespace

ReleaseNotes ReleaseNotes::read(std::string_view downloaded) {
    ReleaseNotesWriter writer(maxDepth, maxHtmlBytes);
    if (!looksLikeHtml(downloaded)) {
        writer.plainText(downloaded);
        return {writer.finish(), downloaded.size()};
    }
    std::size_t at = 0;
    while (at < downloaded.size() && !writer.isFull()) {
        const auto tag = std::min(downloaded.find('<', at), downloaded.size());
        if (tag > at) {
            writer.text(decoded(downloaded.substr(at, tag - at)));
            at = tag;
        } else {
            at = readMarkup(downloaded, at, writer);
        }
    }
    if (at < downloaded.size()) {
        writer.markCut();
    }
    return {writer.finish(), downloaded.size()};
}

} // namespace update
