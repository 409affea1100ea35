#include "update/ReleaseNotesWriter.h"

#include <algorithm>
#include <cctype>

namespace update {
namespace {

// Longer addresses are dropped with their link; the text stays.
constexpr std::size_t maxAddressBytes = 2048;

std::string_view escaped(char c) {
    switch (c) {
    case '&':
        return "&amp;";
    case '<':
        return "&lt;";
    case '>':
        return "&gt;";
    case '"':
        return "&quot;";
    default:
        return {};
    }
}

bool isSafeAddress(std::string_view href) {
    if (href.size() > maxAddressBytes) {
        return false;
    }
    const auto colon = href.find(':');
    if (colon == std::string_view::npos) {
        return false;
    }
    std::string scheme(href.substr(0, colon));
    std::transform(scheme.begin(), scheme.end(), scheme.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return scheme == "http" || scheme == "https" || scheme == "mailto";
}

bool isParagraph(std::string_view writtenAs) {
    return writtenAs == "p" || (writtenAs.size() == 2 && writtenAs[0] == 'h');
}

bool isBlock(std::string_view writtenAs) {
    return isParagraph(writtenAs) || writtenAs == "pre" || writtenAs == "ul" || writtenAs == "ol" ||
           writtenAs == "li";
}

} // namespace

ReleaseNotesWriter::ReleaseNotesWriter(std::size_t maxDepth, std::size_t maxBytes)
    : maxDepth(maxDepth), maxBytes(maxBytes) {}

void ReleaseNotesWriter::start(const Element& element, std::string_view href) {
    if (cut) {
        return;
    }
    switch (element.kind) {
    case Kind::hidden:
        return;
    case Kind::lineBreak:
        html.append("<br>");
        atLineStart = true;
        return;
    case Kind::separator:
        separate();
        return;
    default:
        break;
    }
    // Deeper elements leave only their text.
    if (open.size() >= maxDepth) {
        if (element.kind != Kind::phrase && element.kind != Kind::link) {
            separate();
        }
        return;
    }
    if (element.kind == Kind::listItem) {
        closeThrough("li", {"ul", "ol"});
    } else if (element.kind == Kind::link) {
        closeThrough("a");
    } else if (element.kind != Kind::phrase && !open.empty() &&
               isParagraph(open.back().writtenAs)) {
        // A paragraph or heading ends where another block begins.
        closeTop();
    }
    if (element.kind == Kind::link) {
        const bool written = isSafeAddress(href);
        if (written) {
            html.append("<a href=\"");
            for (const char c : href) {
                if (const auto special = escaped(c); !special.empty()) {
                    html.append(special);
                } else {
                    html.push_back(c);
                }
            }
            html.append("\">");
        }
        open.push_back({element.writtenAs, written});
    } else {
        html.append("<");
        html.append(element.writtenAs);
        html.append(">");
        open.push_back({element.writtenAs, true});
    }
    if (isBlock(element.writtenAs)) {
        atLineStart = true;
    }
    cut = html.size() >= maxBytes;
}

void ReleaseNotesWriter::end(const Element& element) {
    switch (element.kind) {
    case Kind::hidden:
    case Kind::lineBreak:
        return;
    case Kind::separator:
        separate();
        return;
    case Kind::listItem:
        closeThrough("li", {"ul", "ol"});
        return;
    default:
        closeThrough(element.writtenAs);
        return;
    }
}

void ReleaseNotesWriter::text(std::string_view text) {
    if (cut) {
        return;
    }
    appendEscaped(text);
    if (text.find_first_not_of(" \t\r\n\f") != std::string_view::npos) {
        atLineStart = false;
    }
}

void ReleaseNotesWriter::plainText(std::string_view text) {
    html.append("<p style=\"white-space: pre-wrap\">");
    open.push_back({"p", true});
    appendEscaped(text);
}

std::string ReleaseNotesWriter::finish() {
    while (!open.empty()) {
        closeTop();
    }
    if (cut) {
        html.append("<p>…</p>");
    }
    return std::move(html);
}

void ReleaseNotesWriter::closeThrough(std::string_view writtenAs,
                                      std::vector<std::string_view> barrier) {
    for (auto index = open.size(); index-- > 0;) {
        if (open[index].writtenAs == writtenAs) {
            while (open.size() > index) {
                closeTop();
            }
            return;
        }
        if (std::find(barrier.begin(), barrier.end(), open[index].writtenAs) != barrier.end()) {
            return;
        }
    }
}

void ReleaseNotesWriter::closeTop() {
    const auto top = open.back();
    open.pop_back();
    if (top.written) {
        html.append("</");
        html.append(top.writtenAs);
        html.append(">");
    }
    if (isBlock(top.writtenAs)) {
        atLineStart = true;
    }
}

void ReleaseNotesWriter::separate() {
    if (!atLineStart && !cut) {
        html.append("<br>");
        atLineStart = true;
    }
}

void ReleaseNotesWriter::appendEscaped(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        auto piece = escaped(text[at]);
        std::size_t consumed = 1;
        if (piece.empty()) {
            // A whole UTF-8 sequence at a time, so a cut never splits a character.
            const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
            piece = text.substr(at, length);
            consumed = piece.size();
        }
        if (html.size() + piece.size() > maxBytes) {
            cut = true;
            return;
        }
        html.append(piece);
        at += consumed;
    }
}

} // namespace update
