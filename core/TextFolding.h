#pragma once

#include <unicode/locid.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Unicode text helpers shared by everything that names or matches menu-bar items. Texts are
// UTF-8; a byte sequence that is not valid UTF-8 reads as U+FFFD, so any input is safe.
namespace QelCore::TextFolding {

// The text that some applications report in place of a missing value; it counts as empty.
inline constexpr std::string_view missingValuePlaceholder = "missing value";

// Texts that other applications hand us have no length limit. Folding, transliterating and
// matching look at no more than this many bytes of one, far above any real title or name, so
// that one hostile application cannot freeze a search.
inline constexpr std::size_t maximumLength = 1024;

// The text cut to at most `maximumLength` bytes, at a scalar boundary.
std::string_view capped(std::string_view text);

// The text without Unicode white space and newlines at either end.
std::string trimmed(std::string_view text);

// The trimmed text, or the empty text when that is the "missing value" placeholder.
std::string cleaned(std::string_view text);

// The text split at every newline character (LF, VT, FF, CR, NEL, U+2028, U+2029), pieces kept
// as they are, empty ones included.
std::vector<std::string> lines(std::string_view text);

// The parts of the text between every `separator`, empty parts kept ("a..b" gives a, "", b).
std::vector<std::string_view> components(std::string_view text, char separator);

// Full Unicode lower-casing, independent of the current locale, of the capped text; the result
// is capped too.
std::string lowercased(std::string_view text);

// The pieces between runs of white space and newlines, joined with single blanks.
std::string collapsingWhitespace(std::string_view text);

// The capped text folded for a comparison that ignores letter case, diacritics and width in
// `locale` (the current locale by default): full-width forms become their ordinary forms,
// combining marks are dropped and letters are case-folded, Turkic dotted and dotless i included
// in Turkish and Azerbaijani. The result is capped too, so folding it again changes nothing.
std::string folded(std::string_view text, const icu::Locale& locale = icu::Locale::getDefault());

// The Unicode scalars of the text.
std::u32string scalars(std::string_view text);

} // namespace QelCore::TextFolding
