#include "core/TextFolding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace QelCore;

struct Row {
    std::string name;
    std::string input;
    std::string expected;
};

TEST(TextFolding, TrimsUnicodeWhitespaceAndNewlines) {
    const Row rows[] = {
        {"ascii blanks and tabs", " \t Wi-Fi \t ", "Wi-Fi"},
        {"line breaks", "\r\n Clock \n", "Clock"},
        {"ideographic space", "\u3000时钟\u3000", "时钟"},
        {"no-break space and line separator", "\u00a0Sound\u2028", "Sound"},
        {"inner blanks stay", "  up  to date ", "up  to date"},
        {"only blanks", " \u3000\n ", ""},
        {"empty", "", ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(TextFolding::trimmed(row.input), row.expected) << row.name;
    }
}

TEST(TextFolding, MissingValueCountsAsEmpty) {
    EXPECT_EQ(TextFolding::cleaned(" missing value\n"), "");
    EXPECT_EQ(TextFolding::cleaned("missing values"), "missing values");
    EXPECT_EQ(TextFolding::cleaned("Missing Value"), "Missing Value");
    EXPECT_EQ(TextFolding::cleaned(" Battery "), "Battery");
}

TEST(TextFolding, SplitsAtEveryNewlineCharacter) {
    EXPECT_EQ(TextFolding::lines("a\nb\r\nc\u2029d\u0085e"),
              (std::vector<std::string>{"a", "b", "", "c", "d", "e"}));
    EXPECT_EQ(TextFolding::lines(""), (std::vector<std::string>{""}));
    EXPECT_EQ(TextFolding::lines("one line"), (std::vector<std::string>{"one line"}));
}

TEST(TextFolding, ComponentsKeepEmptyParts) {
    EXPECT_EQ(TextFolding::components("vendor..product.helper", '.'),
              (std::vector<std::string_view>{"vendor", "", "product", "helper"}));
    EXPECT_EQ(TextFolding::components(".a.", '.'), (std::vector<std::string_view>{"", "a", ""}));
    EXPECT_EQ(TextFolding::components("", '.'), (std::vector<std::string_view>{""}));
}

TEST(TextFolding, LowerCasesFully) {
    const Row rows[] = {
        {"ascii", "COM.Apple.MenuExtra.Battery", "com.apple.menuextra.battery"},
        {"accented capitals", "ÉTÉ À ÖL", "été à öl"},
        {"greek", "ΣΟΦΙΑ", "σοφια"},
        {"full-width capitals", "ＨＥＬＰＥＲ", "ｈｅｌｐｅｒ"},
        {"chinese unchanged", "控制中心", "控制中心"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(TextFolding::lowercased(row.input), row.expected) << row.name;
    }
}

TEST(TextFolding, CollapsesWhitespaceRuns) {
    const Row rows[] = {
        {"surrounding and inner", "  Control   Center \n", "Control Center"},
        {"tabs and ideographic space", "a\t\u3000b", "a b"},
        {"nothing but blanks", " \t\n", ""},
        {"single word", "Clip", "Clip"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(TextFolding::collapsingWhitespace(row.input), row.expected) << row.name;
    }
}

TEST(TextFolding, FoldsCaseDiacriticsAndWidth) {
    const icu::Locale english("en_US");
    const Row rows[] = {
        {"ascii case", "Up To DATE", "up to date"},
        {"full-width letters and space", "ＵＰ　ＴＯ　ＤＡＴＥ", "up to date"},
        {"accents", "Ŝýñçíñg", "syncing"},
        {"decomposed accents", "U\u0308nread", "unread"},
        {"sharp s folds to ss", "Straße", "strasse"},
        {"half-width katakana widens", "ｶﾀｶﾅ", "カタカナ"},
        {"chinese unchanged", "正在同步", "正在同步"},
        {"full-width comma becomes a comma", "Wi-Fi，已连接", "wi-fi,已连接"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(TextFolding::folded(row.input, english), row.expected) << row.name;
    }
}

TEST(TextFolding, FoldsDottedAndDotlessIByLocale) {
    EXPECT_EQ(TextFolding::folded("SYNCING", icu::Locale("tr_TR")), "syncıng");
    EXPECT_EQ(TextFolding::folded("SYNCING", icu::Locale("en_US")), "syncing");
    EXPECT_EQ(TextFolding::folded("İstanbul", icu::Locale("en_US")), "istanbul");
}

// Long texts are cut at a scalar boundary, never inside a multi-byte character.
TEST(TextFolding, CapsLongTextsAtAScalarBoundary) {
    const std::size_t limit = TextFolding::maximumLength;
    const struct {
        const char* name;
        std::string text;
        std::size_t cappedLength;
    } rows[] = {
        {"short", "short", 5},
        {"exactly the limit", std::string(limit, 'a'), limit},
        {"ascii beyond", std::string(limit + 1, 'a'), limit},
        {"two-byte letter across the limit", std::string(limit - 1, 'a') + "é", limit - 1},
        {"four-byte letter across the limit", std::string(limit - 2, 'a') + "😀", limit - 2},
        {"four-byte letter ending at the limit", std::string(limit - 4, 'a') + "😀b", limit},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(TextFolding::capped(row.text).size(), row.cappedLength) << row.name;
    }
    EXPECT_EQ(TextFolding::folded(std::string(limit, 'A') + "B"), std::string(limit, 'a'));
}

// What folding makes longer is capped again, so a second folding has nothing left to cut.
TEST(TextFolding, FoldingTwiceChangesNothing) {
    const std::size_t limit = TextFolding::maximumLength;
    std::string ligatures;
    while (ligatures.size() < limit) {
        ligatures += "\u0587"; // two bytes that fold to two two-byte letters
    }
    const struct {
        const char* name;
        std::string text;
    } rows[] = {
        {"ill-formed bytes become three-byte U+FFFD", std::string(limit, '\xff')},
        {"a ligature folds to two letters", ligatures},
    };
    const icu::Locale english("en_US");
    for (const auto& row : rows) {
        const std::string folded = TextFolding::folded(row.text, english);
        EXPECT_LE(folded.size(), limit) << row.name;
        EXPECT_EQ(TextFolding::folded(folded, english), folded) << row.name;
        const std::string lowered = TextFolding::lowercased(row.text);
        EXPECT_LE(lowered.size(), limit) << row.name;
        EXPECT_EQ(TextFolding::lowercased(lowered), lowered) << row.name;
    }
}

TEST(TextFolding, IllFormedUtf8IsSafe) {
    const std::string broken = "\xff Wi\xc3-Fi \xe2\x82";
    EXPECT_EQ(TextFolding::trimmed(broken), "\xff Wi\xc3-Fi \xe2\x82");
    EXPECT_EQ(TextFolding::scalars("\xffz"), (std::u32string{U'\uFFFD', U'z'}));
    EXPECT_EQ(TextFolding::folded(broken, icu::Locale("en_US")),
              "\xef\xbf\xbd wi\xef\xbf\xbd-fi \xef\xbf\xbd");
    EXPECT_EQ(TextFolding::collapsingWhitespace(broken), broken);
}

} // namespace
