#include "update/VersionComparator.h"

#include <gtest/gtest.h>

namespace {

struct Row {
    const char* name;
    const char* lhs;
    const char* rhs;
    int expected; // -1 older, 0 same, 1 newer
};

int sign(std::strong_ordering order) {
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

TEST(VersionComparator, OrdersVersionsRunByRun) {
    const Row rows[] = {
        {"equal", "1.0", "1.0", 0},
        {"numbers by value, not text", "1.10", "1.9", 1},
        {"leading zeros ignored", "1.02", "1.2", 0},
        {"longer numeric version is newer", "1.0.1", "1.0", 1},
        {"pre-release is older than the release", "1.0b1", "1.0", -1},
        {"beta numbers compare as numbers", "1.0b10", "1.0b9", 1},
        {"text compares byte-wise", "1.0b1", "1.0a9", 1},
        {"number beats text at one position", "1.0.1", "1.0b1", 1},
        {"build numbers", "200", "99", 1},
        {"digits longer than any integer", "123456789012345678901234567890",
         "123456789012345678901234567889", 1},
        {"separators only separate", "1-0", "1.0", 0},
        {"empty is older than any number", "", "0.1", -1},
        {"empty equals empty", "", "", 0},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(sign(update::VersionComparator::compare(row.lhs, row.rhs)), row.expected)
            << row.name;
        EXPECT_EQ(sign(update::VersionComparator::compare(row.rhs, row.lhs)), -row.expected)
            << row.name << " (reversed)";
    }
}

} // namespace
