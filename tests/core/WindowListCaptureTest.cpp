#include "SimDesktopFixture.h"
#include "core/MenuOpenObservationDetector.h"
#include "core/ScreenCoordinateConverter.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using namespace QelCore;
using platform::Value;

Value window(Value owner, Value layer, Value bounds) {
    return Value::Dictionary{{"kCGWindowOwnerName", std::move(owner)},
                             {"kCGWindowLayer", std::move(layer)},
                             {"kCGWindowBounds", std::move(bounds)}};
}

Value bounds(Value x, Value height) {
    return Value::Dictionary{
        {"X", std::move(x)}, {"Y", 0}, {"Width", 30}, {"Height", std::move(height)}};
}

TEST(WindowListCapture, SkipsWindowsItCannotRead) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    SimDesktopFixture fixture(
        {SimDesktopFixture::item("clock", "none", 0)},
        {
            window("Fine", 25, bounds(100.0, 24.5)),
            window("Truncated layer", 25.9, bounds(200, 24)),
            window(42, 25, bounds(300, 24)),
            window("Layer as text", "25", bounds(400, 24)),
            window("NaN layer", nan, bounds(500, 24)),
            window("Huge layer", 1e30, bounds(600, 24)),
            window("NaN bounds", 25, bounds(nan, 24)),
            window("Missing height", 25, Value::Dictionary{{"X", 1}, {"Y", 0}, {"Width", 30}}),
            window("No bounds", 25, Value()),
        });
    auto& windowServer = fixture.desktop->windowServer();
    std::vector<std::string> owners;
    for (const auto& record : StatusItemWindowFrameIndex::captureWindowRecords(
             windowServer, platform::kCGWindowListOptionAll)) {
        owners.push_back(record.ownerName);
    }
    EXPECT_EQ(owners, (std::vector<std::string>{"Clock", "Fine", "Truncated layer"}));

    const std::vector<ScreenSnapshot> screens{
        {"Built-in", {0, 0, 1512, 982}, {}, {}, {0, 950, 656, 32}, {856, 950, 656, 32}}};
    const auto index = StatusItemWindowFrameIndex::captureFromWindowServer(windowServer, screens);
    const auto axFrame = fixture.desktop->statusItemFrame("clock");
    ASSERT_TRUE(axFrame.has_value());
    EXPECT_EQ(index.frame("clock", std::nullopt),
              ScreenCoordinateConverter::axRectToCocoa(*axFrame, 982));
    EXPECT_EQ(index.frame("truncated layer", std::nullopt), (CGRect{200, 958, 30, 24}));
}

TEST(WindowListCapture, OpenedMenuShowsAsNewOwnerWindow) {
    SimDesktopFixture fixture({SimDesktopFixture::item("clock", "none", 0)});
    auto& windowServer = fixture.desktop->windowServer();
    const std::vector<ScreenSnapshot> screens{{"Built-in", {0, 0, 1512, 982}, {}, {}, {}, {}}};
    const auto before = StatusItemWindowFrameIndex::captureOnScreenWindowRecords(windowServer);
    fixture.press("clock");
    const auto after = StatusItemWindowFrameIndex::captureOnScreenWindowRecords(windowServer);
    const auto observation = MenuOpenObservationDetector::observe(
        "Clock", "clock", MenuOpenEvidenceSource::none, before, after, screens);
    EXPECT_TRUE(observation.observedOpen);
    EXPECT_EQ(observation.evidenceSource, MenuOpenEvidenceSource::windowServerDiff);
    EXPECT_EQ(observation.matchingWindowCountBefore, 0);
    EXPECT_EQ(observation.newWindowCount, 1);
    EXPECT_TRUE(observation.evidence.starts_with("owner=Clock layer=101 ")) << observation.evidence;
}

} // namespace
