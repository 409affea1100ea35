#include "update/StreamSafeText.h"

#include <unicode/normalizer2.h>
#include <unicode/unistr.h>
#include <unicode/utf16.h>

namespace update {
namespace {

// How a character's compatibility decomposition starts and ends.
struct NonStarters {
    std::size_t leading = 0;
    std::size_t trailing = 0;
    // The decomposition holds non-starters only, `leading` of them.
    bool only = false;
};

NonStarters nonStartersOf(const icu::Normalizer2& compatibility, UChar32 character,
                          icu::UnicodeString& decomposition) {
    if (!compatibility.getDecomposition(character, decomposition)) {
        const bool nonStarter = compatibility.getCombiningClass(character) != 0;
        return {nonStarter ? 1u : 0u, nonStarter ? 1u : 0u, nonStarter};
    }
    NonStarters found;
    bool starterSeen = false;
    for (std::int32_t index = 0; index < decomposition.length();) {
        const UChar32 part = decomposition.char32At(index);
        index += U16_LENGTH(part);
        if (compatibility.getCombiningClass(part) == 0) {
            starterSeen = true;
            found.trailing = 0;
        } else {
            found.leading += starterSeen ? 0 : 1;
            ++found.trailing;
        }
    }
    found.only = !starterSeen;
    return found;
}

} // namespace

std::u16string StreamSafeText::next(std::u16string_view piece) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* compatibility = icu::Normalizer2::getNFKDInstance(status);
    if (U_FAILURE(status)) {
        return std::u16string(piece);
    }
    std::u16string safe;
    safe.reserve(piece.size() + piece.size() / maxNonStarters);
    icu::UnicodeString decomposition;
    for (std::size_t index = 0; index < piece.size();) {
        UChar32 character = piece[index];
        std::size_t width = 1;
        if (U16_IS_LEAD(character) && index + 1 < piece.size() && U16_IS_TRAIL(piece[index + 1])) {
            character = U16_GET_SUPPLEMENTARY(character, piece[index + 1]);
            width = 2;
        }
        const auto counted = nonStartersOf(*compatibility, character, decomposition);
        if (nonStarters + counted.leading > maxNonStarters) {
            safe += graphemeJoiner;
            nonStarters = 0;
        }
        safe.append(piece.substr(index, width));
        index += width;
        nonStarters = counted.only ? nonStarters + counted.leading : counted.trailing;
    }
    return safe;
}

} // namespace update
