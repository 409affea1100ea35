#include "core/OverflowClassifier.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace {

using namespace QelCore;
using enum VisibilityClassification;

// A 14-inch notched laptop: 1512 by 982 points, the notch between x 662 and 850.
ScreenSnapshot notchedLaptop() {
    return {"Built-in Retina Display#0", {0, 0, 1512, 982},  {0, 0, 1512, 944}, {38, 0, 0, 0},
            {0, 944, 662, 38},           {850, 944, 662, 38}};
}

ScreenSnapshot plainDisplay() {
    return {"External#1", {0, 0, 1920, 1080}, {0, 0, 1920, 1055}, {}, {}, {}};
}

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

struct Row {
    std::string name;
    CGRect frame;
    VisibilityClassification expected;
};

TEST(OverflowClassifier, NotchedDisplay) {
    const Row rows[] = {
        {"inside right area", {1400, 946, 30, 24}, visible},
        {"right area edge to edge", {850, 944, 662, 38}, visible},
        {"straddles gap right edge", {840, 946, 30, 24}, hiddenBehindNotch},
        {"wholly in gap", {700, 946, 30, 24}, hiddenBehindNotch},
        {"in left area", {300, 946, 30, 24}, visible},
        {"below the bar", {700, 500, 30, 24}, visible},
        {"maxX exactly 4 past right edge", {1486, 946, 30, 24}, visible},
        {"maxX 4.5 past right edge", {1486.5, 946, 30, 24}, pushedOffscreen},
        {"minX exactly 4 before left edge", {-4, 946, 30, 24}, visible},
        {"minX 4.5 before left edge", {-4.5, 946, 30, 24}, pushedOffscreen},
        {"far left", {-300, 946, 30, 24}, pushedOffscreen},
        {"zero size on screen", {1400, 946, 0, 0}, unknown},
        {"null", CGRect::null(), unknown},
        {"above the screen", {1400, 2000, 30, 24}, unknown},
        {"nan origin", {nan, 946, 30, 24}, unknown},
        {"infinite width", {1400, 946, inf, 24}, unknown},
        {"nan height", {1400, 946, 30, nan}, unknown},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(OverflowClassifier::classify(row.frame, notchedLaptop()), row.expected)
            << row.name;
    }
}

TEST(OverflowClassifier, DisplayWithoutNotch) {
    const Row rows[] = {
        {"on screen", {1800, 1057, 30, 22}, visible},
        {"on another display", {2000, 1057, 30, 22}, pushedOffscreen},
        {"above, within the edges", {1000, 1200, 30, 22}, unknown},
        {"at the centre", {945, 1057, 30, 22}, visible},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(OverflowClassifier::classify(row.frame, plainDisplay()), row.expected)
            << row.name;
    }
}

TEST(OverflowClassifier, TouchingAuxiliaryAreasHaveNoGap) {
    ScreenSnapshot screen = notchedLaptop();
    screen.auxiliaryTopLeftArea = {0, 944, 756, 38};
    screen.auxiliaryTopRightArea = {756, 944, 756, 38};
    EXPECT_EQ(OverflowClassifier::classify({740, 946, 30, 24}, screen), visible);
    EXPECT_TRUE(
        OverflowClassifier::notchGap(screen.auxiliaryTopLeftArea, screen.auxiliaryTopRightArea)
            .isEmpty());
}

TEST(OverflowClassifier, GapSpansTheTallerAuxiliaryArea) {
    ScreenSnapshot screen = notchedLaptop();
    screen.auxiliaryTopLeftArea = {0, 950, 662, 32};
    EXPECT_EQ(
        OverflowClassifier::notchGap(screen.auxiliaryTopLeftArea, screen.auxiliaryTopRightArea),
        CGRect(662, 950, 188, 38));
}

} // namespace
