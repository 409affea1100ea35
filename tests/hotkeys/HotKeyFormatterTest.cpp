#include "Parlowen/Hotkeys/HotKeyFormatter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

using namespace Parlowen;

TEST(HotKeyFormatter, GlyphsInFixedOrderThenTheKeyName) {
    struct Row {
        const char* name;
        std::uint32_t keyCode;
        std::uint32_t modifierFlags;
        std::string expected;
    };
    const Row rows[] = {
        {"control command A", 0, 0x1100, "\u2303\u2318A"},
        {"option shift space", 49, 0x0A00, "\u2325\u21E7Space"},
        {"all four", 40, 0x1B00, "\u2303\u2325\u21E7\u2318K"},
        {"return alone", 36, 0, "\u21A9"},
        {"tab", 48, 0x100, "\u2318\u21E5"},
        {"option escape", 53, 0x800, "\u2325Esc"},
        {"backslash", 42, 0x200, "\u21E7\\"},
        {"digit without a name", 18, 0x100, "\u2318Key18"},
        {"code 10 is not in the table", 10, 0, "Key10"},
        {"function key", 122, 0, "Key122"},
        {"caps lock and stray bits ignored", 1, 0x400 | 0x1 | 0x200, "\u21E7S"},
        {"largest code", 4294967295u, 0, "Key4294967295"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(HotKeyFormatter::format(row.keyCode, row.modifierFlags), row.expected)
            << row.name;
    }
}

TEST(HotKeyFormatter, EveryLetterHasItsOwnName) {
    const std::uint32_t letterCodes[] = {0,  11, 8,  2,  14, 3, 5,  4,  34, 38, 40, 37, 46,
                                         45, 31, 35, 12, 15, 1, 17, 32, 9,  13, 7,  16, 6};
    std::string letters;
    for (const auto code : letterCodes) {
        letters += HotKeyFormatter::format(code, 0);
    }
    EXPECT_EQ(letters, "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
}

TEST(HotKeyFormatter, CarbonModifiersOfEventFlags) {
    struct Row {
        const char* name;
        std::uint64_t flags;
        std::uint32_t expected;
    };
    const Row rows[] = {
        {"caps lock alone", 0x10000, 0},
        {"command with caps lock", 0x110000, 0x100},
        {"all four", 0x1E0000, 0x1B00},
        {"shift", 0x20000, 0x200},
        {"control", 0x40000, 0x1000},
        {"option", 0x80000, 0x800},
        {"function, numeric pad and help", 0x800000 | 0x200000 | 0x400000, 0},
        {"high bits beyond 32 ignored", 0xFFFF'0000'0000'0000ull, 0},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(HotKeyFormatter::carbonModifiers(row.flags), row.expected) << row.name;
    }
}

} // namespace
