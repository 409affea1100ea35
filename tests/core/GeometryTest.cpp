#include "platform/Geometry.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

using platform::CGPoint;
using platform::CGRect;

namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

TEST(Geometry, NullAndEmpty) {
    EXPECT_TRUE(CGRect::null().isNull());
    EXPECT_TRUE(CGRect::null().isEmpty());
    EXPECT_FALSE(CGRect::zero().isNull());
    EXPECT_TRUE(CGRect::zero().isEmpty());
    EXPECT_TRUE(CGRect(5, 5, 0, 10).isEmpty());
    EXPECT_FALSE(CGRect(5, 5, -1, 10).isEmpty());
    EXPECT_FALSE(CGRect(0, 0, 1, nan).isFinite());
}

TEST(Geometry, StandardizedEdges) {
    const CGRect flipped(10, 20, -4, -6);
    EXPECT_EQ(flipped.standardized(), CGRect(6, 14, 4, 6));
    EXPECT_EQ(flipped.minX(), 6);
    EXPECT_EQ(flipped.maxX(), 10);
    EXPECT_EQ(flipped.midX(), 8);
    EXPECT_EQ(flipped.minY(), 14);
    EXPECT_EQ(flipped.height(), 6);
    EXPECT_EQ(flipped, CGRect(6, 14, 4, 6));
    EXPECT_EQ(CGRect::null(), CGRect::null());
    EXPECT_NE(CGRect::null(), CGRect::zero());
}

TEST(Geometry, IntersectsNeedsPositiveArea) {
    struct Row {
        std::string name;
        CGRect a;
        CGRect b;
        bool intersects;
    };
    const Row rows[] = {
        {"overlap", {0, 0, 10, 10}, {5, 5, 10, 10}, true},
        {"touching edges", {0, 0, 10, 10}, {10, 0, 10, 10}, false},
        {"zero size inside", {0, 0, 10, 10}, {5, 5, 0, 0}, false},
        {"null", {0, 0, 10, 10}, CGRect::null(), false},
        {"negative size overlap", {10, 10, -10, -10}, {5, 5, 1, 1}, true},
        {"nan edge", {0, 0, 10, 10}, {nan, 0, 5, 5}, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.a.intersects(row.b), row.intersects) << row.name;
        EXPECT_EQ(row.b.intersects(row.a), row.intersects) << row.name;
    }
}

TEST(Geometry, ContainmentIncludesEdges) {
    const CGRect outer(0, 0, 10, 10);
    EXPECT_TRUE(outer.contains(CGRect(0, 0, 10, 10)));
    EXPECT_TRUE(outer.contains(CGRect(2, 2, 0, 0)));
    EXPECT_FALSE(outer.contains(CGRect(2, 2, 9, 1)));
    EXPECT_FALSE(outer.contains(CGRect::null()));
    EXPECT_FALSE(CGRect::null().contains(CGRect::null()));
    EXPECT_TRUE(outer.contains(CGPoint{0, 0}));
    EXPECT_FALSE(outer.contains(CGPoint{10, 5}));
}

} // namespace
