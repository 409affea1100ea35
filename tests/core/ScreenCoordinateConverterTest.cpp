#include "core/ScreenCoordinateConverter.h"

#include <gtest/gtest.h>

namespace {

using namespace QelCore;
namespace Converter = ScreenCoordinateConverter;

ScreenSnapshot screenAt(std::string id, CGRect frame) {
    return {std::move(id), frame, frame, {}, {}, {}};
}

TEST(ScreenCoordinateConverter, FlipsRectanglesAndPoints) {
    EXPECT_EQ(Converter::axRectToCocoa({10, 0, 30, 24}, 982), CGRect(10, 958, 30, 24));
    EXPECT_EQ(Converter::axRectToCocoa({-200, 1000, 30, 24}, 982), CGRect(-200, -42, 30, 24));
    EXPECT_EQ(Converter::axRectToCocoa(CGRect::zero(), 982), CGRect::zero());
    EXPECT_TRUE(Converter::axRectToCocoa(CGRect::null(), 982).isNull());
    EXPECT_EQ(Converter::axRectToCocoa({5, 5, 0, 24}, 982), CGRect(5, 5, 0, 24));
    EXPECT_EQ(Converter::axPointToCocoa({15, 12}, 982), (CGPoint{15, 970}));
    EXPECT_EQ(Converter::axPointToCocoa({0, 0}, 0), (CGPoint{0, 0}));
}

TEST(ScreenCoordinateConverter, PrimaryScreenIsTheOneAtTheOrigin) {
    const auto left = screenAt("A#0", {-1920, 0, 1920, 1080});
    const auto main = screenAt("B#1", {0, 0, 1512, 982});
    const auto above = screenAt("C#1", {0, 1080, 1920, 1080});
    EXPECT_EQ(Converter::primaryScreen({left, main}), main);
    EXPECT_EQ(Converter::primaryScreen({left, above}), left);
    EXPECT_EQ(Converter::primaryScreen({}), std::nullopt);
    EXPECT_EQ(Converter::primaryScreenHeight({left, main}), 982);
    EXPECT_EQ(Converter::primaryScreenHeight({}), 0);
}

} // namespace
