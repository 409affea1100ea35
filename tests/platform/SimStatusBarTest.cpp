#include "platform/sim/SimAppServices.h"
#include "runtime/RuntimeMenuBarScanner.h"
#include "tests/support/SampleDesktops.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::CGRect;
using platform::sim::SimStatusBar;
using platform::sim::StatusBarLayout::Placement;
using namespace std::chrono_literals;

const std::string ownItem(SimStatusBar::firstItemId);

struct StatusBarRig {
    explicit StatusBarRig(nlohmann::json description = SampleDesktops::sampleDesktop())
        : sim(description.dump()) {}

    std::unique_ptr<platform::StatusItem> makeItem() {
        auto item =
            sim.services().statusBar.statusItemWithLength(platform::NSVariableStatusItemLength);
        item->setImage({{18, 18}, 18, 18, std::vector<std::uint8_t>(18 * 18 * 4), {}, true});
        return item;
    }

    void click(CGRect frame) {
        auto& events = sim.desktop.events();
        const platform::CGPoint centre{frame.midX(), frame.midY()};
        events.post(platform::kCGHIDEventTap,
                    *events.createMouseEvent(nullptr, platform::kCGEventLeftMouseDown, centre,
                                             platform::kCGMouseButtonLeft));
        events.post(platform::kCGHIDEventTap,
                    *events.createMouseEvent(nullptr, platform::kCGEventLeftMouseUp, centre,
                                             platform::kCGMouseButtonLeft));
    }

    TestSupport::VirtualDesktop sim;
};

TEST(SimStatusBar, ItemIsRightmostByDefaultAndGrowsWithItsTitle) {
    StatusBarRig rig;
    const CGRect clockBefore = *rig.sim.desktop.statusItemFrame("clock");
    auto item = rig.makeItem();
    const CGRect frame = *item->buttonFrame();
    EXPECT_EQ(rig.sim.desktop.statusItemFrame(ownItem), frame);
    EXPECT_EQ(frame.maxX(), 1512 - 8);
    EXPECT_EQ(rig.sim.desktop.statusItemFrame("clock")->maxX(), frame.minX());
    EXPECT_EQ(rig.sim.desktop.placement(ownItem), Placement::visible);

    item->setTitle(" 3");
    EXPECT_GT(item->buttonFrame()->width(), frame.width());
    EXPECT_EQ(rig.sim.desktop.statusItemFrame("clock")->maxX(), item->buttonFrame()->minX());

    item.reset();
    EXPECT_FALSE(rig.sim.desktop.statusItemFrame(ownItem));
    EXPECT_EQ(rig.sim.desktop.statusItemFrame("clock"), clockBefore);
}

TEST(SimStatusBar, ClickRunsTheActionOnTheMainLoopOnly) {
    StatusBarRig rig;
    auto item = rig.makeItem();
    int clicks = 0;
    item->setAction([&] { ++clicks; });
    rig.click(*item->buttonFrame());
    EXPECT_EQ(clicks, 0) << "the action must wait for the main loop";
    rig.sim.loop.runFor(0ms);
    EXPECT_EQ(clicks, 1);

    // A click on another application's item does not reach the action.
    rig.click(*rig.sim.desktop.statusItemFrame("clock"));
    rig.sim.loop.runFor(0ms);
    EXPECT_EQ(clicks, 1);
}

TEST(SimStatusBar, ItemAtADescribedPositionHidesBehindTheNotchOfACrowdedBar) {
    nlohmann::json description = SampleDesktops::sampleDesktop();
    // Twenty items to its right put it where "fantastical-16" stood, wholly behind the notch.
    description["ownStatusItem"] = {{"position", 20}};
    StatusBarRig rig(description);
    auto item = rig.makeItem();
    EXPECT_EQ(rig.sim.desktop.placement(ownItem), Placement::hiddenBehindNotch);
    int clicks = 0;
    item->setAction([&] { ++clicks; });
    rig.click(*item->buttonFrame());
    rig.sim.loop.runFor(0ms);
    EXPECT_EQ(clicks, 0) << "a click behind the notch reaches nothing";
}

TEST(SimStatusBar, ScanSkipsTheProgramsOwnItem) {
    StatusBarRig rig;
    const auto before = QelRuntime::RuntimeMenuBarScanner::scan(rig.sim.services());
    auto item = rig.makeItem();
    const auto after = QelRuntime::RuntimeMenuBarScanner::scan(rig.sim.services());
    ASSERT_EQ(after.items.size(), before.items.size());
    for (const auto& record : after.items) {
        EXPECT_NE(record.pid, 100) << record.title;
    }
}

} // namespace
