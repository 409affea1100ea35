#pragma once

#include <algorithm>
#include <concepts>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
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

// One value for a placeholder of `format`: a text or a number.
class Argument {
public:
    Argument(std::string text) : value_(std::move(text)) {}
    Argument(std::string_view text) : value_(std::string(text)) {}
    Argument(const char* text) : value_(std::string(text)) {}
    template <std::integral Integer> Argument(Integer number) : value_(saturated(number)) {}
    Argument(double number) : value_(number) {}

    const std::variant<std::string, std::int64_t, double>& value() const { return value_; }

private:
    template <std::integral Integer> static std::int64_t saturated(Integer number) {
        if constexpr (std::is_unsigned_v<Integer>) {
            constexpr auto largest =
                static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
            return static_cast<std::int64_t>(std::min<std::uint64_t>(number, largest));
        } else {
            return static_cast<std::int64_t>(number);
        }
    }

    std::variant<std::string, std::int64_t, double> value_;
};

// Fills the placeholders of a localized text in one pass, as Foundation's formatting does for
// the conversions the texts use: "%@" (a text, or a number in decimal), "%d" (a whole number; a
// number with a fraction is cut toward zero) and "%.0f" (a number rounded to no decimals).
// Each takes the next argument in order, or the n-th with "%n$@", "%n$d", "%n$.0f"; "%%" gives
// "%". An argument's own placeholders stay as they are. A placeholder without an argument, or
// whose argument does not fit (a text for "%d", a non-finite number for "%d"), is left as
// written.
std::string format(std::string_view text, const std::vector<Argument>& arguments);

} // namespace L10n

} // namespace Parlowen
