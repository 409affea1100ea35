#include "core/TextFolding.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace QelCore::TextFolding {

namespace {

// Calls visit(scalar, begin, end) for every scalar with its byte range; ill-formed bytes come
// as U+FFFD.
template <typename Visit> void forEachScalar(std::string_view text, Visit&& visit) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const std::size_t length = text.size();
    std::size_t index = 0;
    while (index < length) {
        const std::size_t begin = index;
        UChar32 scalar = 0;
        U8_NEXT_OR_FFFD(bytes, index, length, scalar);
        visit(scalar, begin, index);
    }
}

bool isWhitespace(UChar32 scalar) {
    return u_isUWhiteSpace(scalar) != 0;
}

bool isNewline(UChar32 scalar) {
    return (scalar >= 0x0A && scalar <= 0x0D) || scalar == 0x85 || scalar == 0x2028 ||
           scalar == 0x2029;
}

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char byte) { return static_cast<unsigned char>(byte) < 0x80; });
}

std::string asciiLowercased(std::string_view text) {
    std::string result(text);
    for (char& byte : result) {
        if (byte >= 'A' && byte <= 'Z') {
            byte = static_cast<char>(byte - 'A' + 'a');
        }
    }
    return result;
}

// Turkish and Azerbaijani pair dotted and dotless i differently from every other language.
bool isTurkic(const icu::Locale& locale) {
    const char* language = locale.getLanguage();
    return std::strcmp(language, "tr") == 0 || std::strcmp(language, "az") == 0;
}

icu::UnicodeString unicode(std::string_view text) {
    // ICU lengths are 32-bit; no text of a menu bar comes near that.
    if (text.size() > static_cast<std::size_t>(INT32_MAX)) {
        return {};
    }
    return icu::UnicodeString::fromUTF8(
        icu::StringPiece(text.data(), static_cast<std::int32_t>(text.size())));
}

// The text as UTF-8, capped again: ill-formed bytes came in as one byte each and leave as the
// three of U+FFFD, and some case foldings grow, so without the cap a second folding would cut
// what the first one answered.
std::string cappedUtf8(const icu::UnicodeString& text) {
    std::string result;
    text.toUTF8String(result);
    result.resize(capped(result).size());
    return result;
}

// Full-width and half-width forms replaced by their ordinary forms.
icu::UnicodeString widthFolded(std::string_view text) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* compatibility = icu::Normalizer2::getNFKDInstance(status);
    icu::UnicodeString result;
    forEachScalar(text, [&](UChar32 scalar, std::size_t, std::size_t) {
        const auto type = u_getIntPropertyValue(scalar, UCHAR_DECOMPOSITION_TYPE);
        icu::UnicodeString ordinary;
        if ((type == U_DT_WIDE || type == U_DT_NARROW) && U_SUCCESS(status) &&
            compatibility->getDecomposition(scalar, ordinary)) {
            result.append(ordinary);
        } else {
            result.append(scalar);
        }
    });
    return result;
}

// The text without combining marks, composed again.
icu::UnicodeString withoutDiacritics(const icu::UnicodeString& text) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* decomposing = icu::Normalizer2::getNFDInstance(status);
    const icu::Normalizer2* composing = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status)) {
        return text;
    }
    const icu::UnicodeString decomposed = decomposing->normalize(text, status);
    icu::UnicodeString bare;
    for (std::int32_t index = 0; index < decomposed.length();) {
        const UChar32 scalar = decomposed.char32At(index);
        if (u_charType(scalar) != U_NON_SPACING_MARK) {
            bare.append(scalar);
        }
        index += U16_LENGTH(scalar);
    }
    const icu::UnicodeString composed = composing->normalize(bare, status);
    return U_SUCCESS(status) ? composed : bare;
}

} // namespace

std::string_view capped(std::string_view text) {
    if (text.size() <= maximumLength) {
        return text;
    }
    std::size_t length = maximumLength;
    // Back over continuation bytes (at most three), so no scalar is cut in two.
    for (int step = 0; step < 3 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80;
         ++step) {
        --length;
    }
    return text.substr(0, length);
}

std::string trimmed(std::string_view text) {
    std::size_t first = text.size();
    std::size_t last = 0;
    forEachScalar(text, [&](UChar32 scalar, std::size_t begin, std::size_t end) {
        if (!isWhitespace(scalar)) {
            first = std::min(first, begin);
            last = end;
        }
    });
    return first < last ? std::string(text.substr(first, last - first)) : std::string();
}

std::string cleaned(std::string_view text) {
    std::string result = trimmed(text);
    return result == missingValuePlaceholder ? std::string() : result;
}

std::vector<std::string> lines(std::string_view text) {
    std::vector<std::string> result;
    std::size_t lineStart = 0;
    forEachScalar(text, [&](UChar32 scalar, std::size_t begin, std::size_t end) {
        if (isNewline(scalar)) {
            result.emplace_back(text.substr(lineStart, begin - lineStart));
            lineStart = end;
        }
    });
    result.emplace_back(text.substr(lineStart));
    return result;
}

std::vector<std::string_view> components(std::string_view text, char separator) {
    std::vector<std::string_view> result;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(separator, start);
        result.push_back(text.substr(start, end - start));
        if (end == std::string_view::npos) {
            return result;
        }
        start = end + 1;
    }
}

std::string lowercased(std::string_view whole) {
    const std::string_view text = capped(whole);
    if (isAscii(text)) {
        return asciiLowercased(text);
    }
    return cappedUtf8(unicode(text).toLower(icu::Locale::getRoot()));
}

std::string collapsingWhitespace(std::string_view text) {
    std::string result;
    std::size_t pieceStart = std::string_view::npos;
    const auto closePiece = [&](std::size_t end) {
        if (pieceStart == std::string_view::npos) {
            return;
        }
        if (!result.empty()) {
            result += ' ';
        }
        result += text.substr(pieceStart, end - pieceStart);
        pieceStart = std::string_view::npos;
    };
    forEachScalar(text, [&](UChar32 scalar, std::size_t begin, std::size_t) {
        if (isWhitespace(scalar)) {
            closePiece(begin);
        } else if (pieceStart == std::string_view::npos) {
            pieceStart = begin;
        }
    });
    closePiece(text.size());
    return result;
}

std::string folded(std::string_view whole, const icu::Locale& locale) {
    const std::string_view text = capped(whole);
    const bool turkic = isTurkic(locale);
    if (isAscii(text) && !turkic) {
        // Plain ASCII has no width forms or marks, and folds to lower case the same everywhere.
        return asciiLowercased(text);
    }
    icu::UnicodeString folding = widthFolded(text);
    folding.foldCase(turkic ? U_FOLD_CASE_EXCLUDE_SPECIAL_I : U_FOLD_CASE_DEFAULT);
    return cappedUtf8(withoutDiacritics(folding));
}

std::u32string scalars(std::string_view text) {
    std::u32string result;
    forEachScalar(text, [&](UChar32 scalar, std::size_t, std::size_t) {
        result += static_cast<char32_t>(scalar);
    });
    return result;
}

} // namespace QelCore::TextFolding
