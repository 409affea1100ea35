#include "update/HeldMarkup.h"

#include <libxml/parserInternals.h>

#include <utility>

namespace update::HeldMarkup {
namespace {

// The parser reads a longer name as several.
constexpr std::size_t maxNameLength = 100;

// `ends` is handed each character from the markup's start on and tells whether the markup ends
// with it.
template <typename Ends>
End heldMarkupEnd(std::string_view held, std::string_view html, std::size_t fed, Ends&& ends) {
    for (std::size_t at = 0; at < held.size(); ++at) {
        if (ends(held[at])) {
            return {std::string(held.substr(at + 1)), fed, {}};
        }
    }
    for (auto at = fed; at < html.size(); ++at) {
        if (ends(html[at])) {
            return {{}, at + 1, {}};
        }
    }
    return {{}, html.size(), {}};
}

bool startsName(unsigned char c) {
    return IS_ASCII_LETTER(c) || c == '_' || c == ':' || c == '.';
}

bool continuesName(unsigned char c) {
    return startsName(c) || IS_ASCII_DIGIT(c) || c == '-';
}

// Reads a start tag as the parser reads one it holds whole.
class StartTagEnd {
public:
    // Whether the tag ends with `c`, handed each character from the tag's '<' on.
    bool operator()(char c) {
        const auto byte = static_cast<unsigned char>(c);
        const bool blank = IS_BLANK_CH(byte);
        const bool afterSlash = std::exchange(slash, false);
        for (;;) {
            switch (part) {
            case Part::open:
                part = Part::elementName;
                return false;
            case Part::elementName:
                if (continuesName(byte) && name.size() < maxNameLength) {
                    name += c;
                    return false;
                }
                part = Part::between;
                continue;
            case Part::attributeName:
                if (continuesName(byte) && ++nameLength <= maxNameLength) {
                    return false;
                }
                // Past the longest name the parser reads, the next attribute begins.
                part = continuesName(byte) ? Part::between : Part::afterName;
                continue;
            case Part::afterName:
                if (blank) {
                    return false;
                }
                if (c == '=') {
                    part = Part::beforeValue;
                    return false;
                }
                part = Part::between;
                continue;
            case Part::beforeValue:
                if (blank) {
                    return false;
                }
                if (c == '"' || c == '\'') {
                    quote = c;
                    part = Part::quoted;
                    return false;
                }
                part = Part::unquoted;
                continue;
            case Part::quoted:
                part = c == quote ? Part::between : Part::quoted;
                return false;
            case Part::unquoted:
                part = blank ? Part::between : Part::unquoted;
                return c == '>';
            case Part::between:
                if (blank) {
                    return false;
                }
                if (startsName(byte)) {
                    part = Part::attributeName;
                    nameLength = 1;
                    return false;
                }
                part = Part::other;
                continue;
            case Part::other:
                if (c == '>') {
                    closed = afterSlash;
                    return true;
                }
                part = blank ? Part::between : Part::other;
                slash = c == '/';
                return false;
            }
        }
    }

    // The tag of the same name without attributes, closed by "/>" when the tag was.
    std::string bareTag() const { return "<" + name + (closed ? "/>" : ">"); }

private:
    enum class Part {
        open,
        elementName,
        between,
        attributeName,
        afterName,
        beforeValue,
        quoted,
        unquoted,
        other, // what is no attribute, up to a blank, '>' or "/>"
    };
    Part part = Part::open;
    std::string name;
    std::size_t nameLength = 0;
    char quote = 0;
    bool slash = false;
    bool closed = false;
};

auto commentEnds() {
    return [dashes = std::size_t{0}, bang = false](char c) mutable {
        const bool ends = c == '>' && (dashes >= 2 || bang);
        bang = c == '!' && dashes >= 2;
        dashes = c == '-' ? dashes + 1 : 0;
        return ends;
    };
}

} // namespace

End startTagEnd(std::string_view held, std::string_view html, std::size_t fed) {
    StartTagEnd ends;
    auto end = heldMarkupEnd(held, html, fed, ends);
    end.bareTag = ends.bareTag();
    return end;
}

End commentEnd(std::string_view held, std::string_view html, std::size_t fed) {
    return heldMarkupEnd(held, html, fed, commentEnds());
}

std::size_t attributeNamesAtMost(std::string_view markup) {
    std::size_t names = 0;
    std::size_t run = 0;
    for (const auto c : markup) {
        const auto byte = static_cast<unsigned char>(c);
        if (!continuesName(byte)) {
            run = 0;
            continue;
        }
        names += run % maxNameLength == 0 && startsName(byte) ? 1 : 0;
        ++run;
    }
    return names;
}

} // namespace update::HeldMarkup
