#include "core/LineEscaping.h"

#include <cstdio>

namespace QelCore::LineEscaping {

namespace {

void appendCodePointEscape(std::string& out, unsigned codePoint) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\u%04X", codePoint);
    out += buffer;
}

} // namespace

// Escapes what would break or blur the line: backslash, double quote, C0 and C1 controls,
// DEL, and the Unicode line and paragraph separators. Everything else passes byte for byte.
void appendEscaped(std::string& out, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const auto next = [&](std::size_t offset) {
            return i + offset < text.size() ? static_cast<unsigned char>(text[i + offset]) : 0u;
        };
        switch (byte) {
        case '\\':
            out += "\\\\";
            continue;
        case '"':
            out += "\\\"";
            continue;
        case '\n':
            out += "\\n";
            continue;
        case '\r':
            out += "\\r";
            continue;
        case '\t':
            out += "\\t";
            continue;
        default:
            break;
        }
        if (byte < 0x20 || byte == 0x7F) {
            appendCodePointEscape(out, byte);
        } else if (byte == 0xC2 && next(1) >= 0x80 && next(1) <= 0x9F) {
            appendCodePointEscape(out, next(1));
            i += 1;
        } else if (byte == 0xE2 && next(1) == 0x80 && (next(2) == 0xA8 || next(2) == 0xA9)) {
            appendCodePointEscape(out, 0x2000u + next(2) - 0x80u);
            i += 2;
        } else {
            out += static_cast<char>(byte);
        }
    }
}

std::string escaped(std::string_view text) {
    std::string out;
    appendEscaped(out, text);
    return out;
}

} // namespace QelCore::LineEscaping
