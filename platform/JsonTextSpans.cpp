#include "platform/JsonTextSpans.h"

namespace platform::JsonTextSpans {

namespace {

bool isSpace(char character) {
    return character == ' ' || character == '\t' || character == '\n' || character == '\r';
}

std::size_t skipSpace(std::string_view text, std::size_t at) {
    while (at < text.size() && isSpace(text[at])) {
        ++at;
    }
    return at;
}

// Where the value starts: past a UTF-8 byte-order mark and white space.
std::size_t valueStart(std::string_view text) {
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    return skipSpace(text, text.starts_with(byteOrderMark) ? byteOrderMark.size() : 0);
}

// The index just past the string token that starts at `at`.
std::size_t skipString(std::string_view text, std::size_t at) {
    for (++at; at < text.size() && text[at] != '"'; ++at) {
        if (text[at] == '\\') {
            ++at;
        }
    }
    return at + 1;
}

// The index just past the value that starts at `at`.
std::size_t skipValue(std::string_view text, std::size_t at) {
    std::size_t depth = 0;
    while (at < text.size()) {
        const char character = text[at];
        if (character == '"') {
            at = skipString(text, at);
        } else if (character == '{' || character == '[') {
            ++depth;
            ++at;
        } else if (character == '}' || character == ']') {
            if (depth == 0) {
                return at; // the end of the enclosing value
            }
            --depth;
            ++at;
        } else if (depth == 0 && (character == ',' || isSpace(character))) {
            return at;
        } else {
            ++at;
        }
        if (depth == 0 && (character == '"' || character == '}' || character == ']')) {
            return at;
        }
    }
    return at;
}

// Calls `each` with the index of every top-level entry of the container opening at the
// text's first non-space character; `each` answers the index just past the entry.
template <typename Each> void forEachEntry(std::string_view text, Each each) {
    std::size_t at = valueStart(text) + 1; // past the opening bracket
    for (;;) {
        at = skipSpace(text, at);
        if (at >= text.size() || text[at] == '}' || text[at] == ']') {
            return;
        }
        at = skipSpace(text, each(at));
        if (at < text.size() && text[at] == ',') {
            ++at;
        }
    }
}

} // namespace

char openingCharacter(std::string_view text) {
    const std::size_t start = valueStart(text);
    return start < text.size() && (text[start] == '{' || text[start] == '[') ? text[start] : 0;
}

std::vector<Member> members(std::string_view object) {
    std::vector<Member> found;
    forEachEntry(object, [&](std::size_t at) {
        const std::size_t keyEnd = skipString(object, at);
        const std::size_t valueStart = skipSpace(object, skipSpace(object, keyEnd) + 1);
        const std::size_t valueEnd = skipValue(object, valueStart);
        found.push_back(
            {object.substr(at, keyEnd - at), object.substr(valueStart, valueEnd - valueStart)});
        return valueEnd;
    });
    return found;
}

std::vector<std::string_view> elements(std::string_view array) {
    std::vector<std::string_view> found;
    forEachEntry(array, [&](std::size_t at) {
        const std::size_t end = skipValue(array, at);
        found.push_back(array.substr(at, end - at));
        return end;
    });
    return found;
}

} // namespace platform::JsonTextSpans
