#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace update {

// Markup that libxml2's HTML push parser holds unread until its end arrives (a start tag, a
// comment), read as the parser reads it: the release notes' reader skips such markup once it
// is held too long, and needs its end and what the parser makes of it.
namespace HeldMarkup {

// Where held markup ends. It is looked for from the markup's start, through what the parser
// holds (`held`, from the markup's '<' on), then through the notes (`html`) not fed yet, which
// begin at `fed`.
struct End {
    // What the parser holds past the end, to be read again.
    std::string heldAfter;
    // Where the notes go on: `fed` when the end was held, else just past it or at their end.
    std::size_t notesAt = 0;
    // For a start tag, the tag of the same name without attributes (closed by "/>" when the
    // tag was), which begins the element as the tag would have.
    std::string bareTag;
};

// A start tag ends at the first '>' outside a quoted value: a quote opens a value only after
// an attribute name's '=' (blanks allowed around it) and only the same quote closes it; an
// unquoted value ends at a blank or '>', anything else between attributes at a blank, '>' or
// "/>".
End startTagEnd(std::string_view held, std::string_view html, std::size_t fed);
// A comment ends at the first '>' after "--" or "--!".
End commentEnd(std::string_view held, std::string_view html, std::size_t fed);

// At most how many attribute names the parser reads in `markup`: each begins with a letter,
// '_', ':' or '.' after a character no name holds, or after as many name characters as it reads
// as one name (100).
std::size_t attributeNamesAtMost(std::string_view markup);

} // namespace HeldMarkup

} // namespace update
