#pragma once

#include <string>
#include <string_view>

// Keeps a text on one line of a log or report: backslash, double quote, C0 and C1 controls, DEL
// and the Unicode line and paragraph separators become escapes such as \n and \u2028; every
// other byte passes unchanged.
namespace QelCore::LineEscaping {

void appendEscaped(std::string& out, std::string_view text);
std::string escaped(std::string_view text);

} // namespace QelCore::LineEscaping
