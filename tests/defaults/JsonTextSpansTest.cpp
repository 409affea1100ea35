#include "platform/JsonTextSpans.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace platform;

// Brackets, commas and escaped quotes inside strings never end a value early.
TEST(JsonTextSpans, MembersKeepTheirExactText) {
    const std::string text = "\xEF\xBB\xBF {\"a\" : [1, {\"b\": \"]}\"}] ,\n\"c\\\"d\":\"x,\\\"}\","
                             "\"e\":-1.50e3,\"f\":null,\"g\":{},\"a\":true}";
    std::vector<std::pair<std::string, std::string>> found;
    for (const auto& member : JsonTextSpans::members(text)) {
        found.emplace_back(member.key, member.value);
    }
    EXPECT_EQ(found, (std::vector<std::pair<std::string, std::string>>{
                         {"\"a\"", "[1, {\"b\": \"]}\"}]"},
                         {"\"c\\\"d\"", "\"x,\\\"}\""},
                         {"\"e\"", "-1.50e3"},
                         {"\"f\"", "null"},
                         {"\"g\"", "{}"},
                         {"\"a\"", "true"},
                     }));
    EXPECT_EQ(JsonTextSpans::openingCharacter(text), '{');
    EXPECT_TRUE(JsonTextSpans::members(" { } ").empty());
}

TEST(JsonTextSpans, ElementsKeepTheirExactText) {
    const std::string text = "[ {\"k\":[[]]}, \"a]\" ,3,[1,[2]] ]";
    const std::vector<std::string_view> expected = {"{\"k\":[[]]}", "\"a]\"", "3", "[1,[2]]"};
    EXPECT_EQ(JsonTextSpans::elements(text), expected);
    EXPECT_TRUE(JsonTextSpans::elements("[]").empty());
    EXPECT_EQ(JsonTextSpans::openingCharacter("\n [1]"), '[');
    EXPECT_EQ(JsonTextSpans::openingCharacter("\"[\""), 0);
}

// Nesting is counted, not recursed into: a deep value costs no stack.
TEST(JsonTextSpans, DeepNestingIsOneElement) {
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    const auto elements = JsonTextSpans::elements("[" + deep + ",1]");
    ASSERT_EQ(elements.size(), 2u);
    EXPECT_EQ(elements[0].size(), deep.size());
}

} // namespace
