#include "Parlowen/Items/UUID.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

namespace {

TEST(UUID, RandomIdsAreVersionFourAndDistinct) {
    const std::regex canonical(
        "[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
    std::set<std::string> seen;
    for (int i = 0; i < 1000; ++i) {
        const std::string text = Parlowen::UUID::random().uuidString();
        EXPECT_TRUE(std::regex_match(text, canonical)) << text;
        EXPECT_TRUE(seen.insert(text).second) << text;
    }
}

TEST(UUID, TextKeepsByteOrder) {
    Parlowen::UUID id;
    for (std::size_t i = 0; i < id.bytes.size(); ++i) {
        id.bytes[i] = static_cast<std::uint8_t>(i * 17);
    }
    EXPECT_EQ(id.uuidString(), "00112233-4455-6677-8899-AABBCCDDEEFF");
}

} // namespace
