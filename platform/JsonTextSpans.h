#pragma once

#include <string_view>
#include <vector>

namespace platform {

// The exact texts of the top-level members of a JSON object or elements of a JSON array, so
// that a value this program cannot read is written back byte for byte. The text must be one
// valid JSON value (check with a parser first); nesting is skipped by counting brackets, so
// nothing recurses however deep the value.
namespace JsonTextSpans {

struct Member {
    std::string_view key; // the key's string token, quotes and escapes included
    std::string_view value;
};

// The first character of the value: '{' for an object, '[' for an array. A byte-order mark and
// white space before it are skipped, as JSON parsers do; 0 for a text of neither.
char openingCharacter(std::string_view text);

// The members of an object, in text order, duplicates included.
std::vector<Member> members(std::string_view object);
// The elements of an array, in order.
std::vector<std::string_view> elements(std::string_view array);

} // namespace JsonTextSpans

} // namespace platform
