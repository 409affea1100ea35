#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Parlowen {

// Every user-visible text: looked up by a dotted key, with the English text beside it.
namespace L10n {

// The language forced for every lookup (the visual snapshot mode), or none.
std::optional<std::string> localeOverride();
void setLocaleOverride(std::optional<std::string> identifier);

// The translated text of `key`, or `defaultText` when no bundle has it. With an override, the
// forced language comes first; then each candidate bundle in the user's languages. An entry
// holding the empty text counts as found.
std::string string(std::string_view key, std::string_view defaultText);

// The ".lproj" folders tried for a forced identifier, in order: "zh…" (any case) gives
// "zh-Hans", "zh-hans", "zh"; "en…" gives "en"; anything else the identifier unchanged.
std::vector<std::string> languageFolders(std::string_view identifier);

// Fills "%@" (in order) and "%1$@" … "%9$@" (by position) with `arguments`, and "%%" with "%",
// in one pass: an argument's own "%@" stays as it is. A placeholder without an argument is
// left as written.
std::string format(std::string_view text, const std::vector<std::string>& arguments);

} // namespace L10n

} // namespace Parlowen
