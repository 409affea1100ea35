#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Text matching of the Quick Open search: the folded form that both sides of every comparison
// take, the searchable variants of a name (its Latin transliteration too), match qualities and
// the built-in aliases. Pure; callable from any thread.
namespace Parlowen::QuickOpenSearchMatcher {

// Match qualities, lower is better.
inline constexpr int equalQuality = 0;
inline constexpr int prefixQuality = 1;
inline constexpr int containsQuality = 2;
inline constexpr int aliasQuality = 3;

// The text, capped at `TextFolding::maximumLength` bytes, trimmed of white space and newlines,
// folded for case, diacritics and width in the current locale, lower-cased and composed (NFC), so
// that equal texts compare equal byte by byte.
std::string foldedForm(std::string_view text);

// The searchable forms of a text: its folded form, then (for a text in another script) the
// folded Latin transliteration of its capped text without marks and that transliteration without
// blanks. Empty for a text whose folded form is empty.
std::vector<std::string> searchVariants(std::string_view text);

// Builds the shared transliterator now, which takes a large part of a second the first time;
// the program calls it on a worker thread at start so that the first search does not wait.
void warmUp();

// The strings with later repeats removed; first occurrences keep their places.
std::vector<std::string> uniqued(std::vector<std::string> strings);

// The folded, non-empty, distinct search fields of an item: the variants of its app name, of its
// title and of its display name, in this order.
std::vector<std::string> searchableFields(std::string_view appName, std::string_view title,
                                          std::string_view displayName);

// The best quality that one of `fields` reaches for the folded, non-empty query, or none.
std::optional<int> matchQuality(const std::vector<std::string>& fields, std::string_view query);

// Whether the query is exactly an alias key and one of the fields contains one of its targets.
bool matchesBuiltInAlias(std::string_view query, const std::vector<std::string>& fields);

// The alias table: query word to the app names it stands for, in order.
const std::map<std::string, std::vector<std::string>, std::less<>>& builtInAliasTargets();

} // namespace Parlowen::QuickOpenSearchMatcher
