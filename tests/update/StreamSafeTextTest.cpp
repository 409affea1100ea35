#include "update/StreamSafeText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using update::StreamSafeText;

const std::u16string joiner(1, StreamSafeText::graphemeJoiner);

// `count` times `mark` (COMBINING ACUTE ACCENT unless another is named).
std::u16string marks(std::size_t count, std::u16string_view mark = u"\u0301") {
    std::u16string text;
    for (std::size_t index = 0; index < count; ++index) {
        text += mark;
    }
    return text;
}

TEST(StreamSafeText, JoinsRunsOfMoreThanThirtyNonStarters) {
    struct Row {
        const char* name;
        std::vector<std::u16string> pieces;
        std::u16string safe;
    };
    const std::u16string plain = u"Faster scans, \u5FEB\u901F, \u05E2\u05D1\u05E8\u05D9\u05EA 😀";
    const Row rows[] = {
        {"nothing", {}, u""},
        {"plain text unchanged", {plain}, plain},
        {"30 marks unchanged", {u"a" + marks(30)}, u"a" + marks(30)},
        {"the 31st mark after a joiner", {u"a" + marks(31)}, u"a" + marks(30) + joiner + marks(1)},
        {"a joiner after every 30 marks",
         {u"a" + marks(61)},
         u"a" + marks(30) + joiner + marks(30) + joiner + marks(1)},
        {"marks of any class counted alike",
         {u"\u0627" + marks(20, u"\u0650") + marks(11, u"\u0316")},
         u"\u0627" + marks(20, u"\u0650") + marks(10, u"\u0316") + joiner + u"\u0316"},
        {"a starter begins the count anew",
         {u"a" + marks(30) + u"b" + marks(30)},
         u"a" + marks(30) + u"b" + marks(30)},
        {"a joiner in the text begins the count anew",
         {u"a" + marks(30) + joiner + marks(30)},
         u"a" + marks(30) + joiner + marks(30)},
        {"a mark decomposing into two marks counts two",
         {u"a" + marks(29) + u"\u0344", u"a" + marks(28) + u"\u0344"},
         u"a" + marks(29) + joiner + u"\u0344" + u"a" + marks(28) + u"\u0344"},
        {"a starter whose compatibility form is a mark counts one",
         {u"a" + marks(30) + u"\uFF9E"},
         u"a" + marks(30) + joiner + u"\uFF9E"},
        {"a letter decomposing into a letter and a mark counts its mark",
         {u"\u00C5" + marks(30)},
         u"\u00C5" + marks(29) + joiner + marks(1)},
        {"a letter decomposing into letters is a starter",
         {u"\uAC00" + marks(30) + u"\uFDFA" + marks(30)},
         u"\uAC00" + marks(30) + u"\uFDFA" + marks(30)},
        {"the count goes on across pieces",
         {u"a" + marks(20), marks(20)},
         u"a" + marks(20) + marks(10) + joiner + marks(10)},
        {"marks beyond the first plane stay whole",
         {u"😀" + marks(31, u"\U0001D167")},
         u"😀" + marks(30, u"\U0001D167") + joiner + u"\U0001D167"},
        {"unpaired surrogates pass as starters",
         {u"a" + marks(30) + u'\xD800' + marks(30) + u'\xDC00' + marks(31) + u'\xD83D'},
         u"a" + marks(30) + u'\xD800' + marks(30) + u'\xDC00' + marks(30) + joiner + marks(1) +
             u'\xD83D'},
        {"noncharacters and private use are starters",
         {u"\uFFFF" + marks(30) + u"\uE000" + marks(30) + u"\uFDD0" + marks(30)},
         u"\uFFFF" + marks(30) + u"\uE000" + marks(30) + u"\uFDD0" + marks(30)},
    };
    for (const auto& row : rows) {
        StreamSafeText text;
        std::u16string safe;
        for (const auto& piece : row.pieces) {
            safe += text.next(piece);
        }
        EXPECT_EQ(safe, row.safe) << row.name;
    }
}

} // namespace
