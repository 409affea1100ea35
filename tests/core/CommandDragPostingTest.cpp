#include "SimDesktopFixture.h"
#include "core/MenuBarVisibilityRevealExecutor.h"

#include <gtest/gtest.h>

namespace {

using namespace QelCore;
using platform::sim::CursorCall;
using platform::sim::EventFailure;

// Virtual time that makes the next event creation fail after a given number of pauses, so a
// drag can be broken at any of its events.
class FailingAfterPauses : public platform::Clock {
public:
    FailingAfterPauses(platform::sim::VirtualClock& clock, platform::sim::SimulatedDesktop& desktop,
                       int pauses)
        : clock_(clock), desktop_(desktop), pausesLeft_(pauses) {}

    platform::MonotonicTime now() const override { return clock_.now(); }
    platform::WallTime wallNow() const override { return clock_.wallNow(); }
    void sleep(platform::Duration duration) override {
        clock_.sleep(duration);
        if (--pausesLeft_ == 0) {
            desktop_.failNext(EventFailure::eventCreation, 1);
        }
    }

private:
    platform::sim::VirtualClock& clock_;
    platform::sim::SimulatedDesktop& desktop_;
    int pausesLeft_;
};

// A 100-point drag: 18 steps, so 22 events.
const MenuBarVisibilityRevealPlan plan{{1315, 12}, {1215, 12}, {1200, 0}};
constexpr std::size_t eventCount = 22;

std::vector<platform::CGEventType> typesOf(const std::vector<platform::sim::PostedEvent>& posted) {
    std::vector<platform::CGEventType> types;
    for (const auto& event : posted) {
        types.push_back(event.event.type);
    }
    return types;
}

TEST(CommandDragPosting, PostsTheRecipeWithItsPauses) {
    SimDesktopFixture fixture({});
    const platform::CGPoint cursor = fixture.desktop->cursorLocation();
    ASSERT_TRUE(MenuBarVisibilityRevealExecutor::postCommandDrag(
        fixture.desktop->events(), fixture.clock, plan, platform::kCGHIDEventTap));
    const auto record = fixture.desktop->record();
    const auto recipe = MenuBarVisibilityRevealExecutor::commandDragRecipe(plan, cursor);
    ASSERT_EQ(record.events.size(), eventCount);
    for (std::size_t i = 0; i < eventCount; ++i) {
        const auto& posted = record.events[i];
        EXPECT_EQ(posted.tap, platform::kCGHIDEventTap);
        EXPECT_EQ(posted.event.location, recipe.events[i].point) << i;
        const bool command = i != 0 && i + 1 != eventCount;
        EXPECT_EQ(posted.event.flags, command ? platform::kCGEventFlagMaskCommand : 0u) << i;
    }
    EXPECT_EQ(record.events[1].event.type, platform::kCGEventLeftMouseDown);
    EXPECT_EQ(record.events[20].event.type, platform::kCGEventLeftMouseUp);
    EXPECT_EQ(record.cursorCalls, (std::vector<CursorCall>{CursorCall::hide, CursorCall::show}));
    EXPECT_EQ(fixture.elapsedMs(), 60 + 80 + 18 * 15 + 140);
}

TEST(CommandDragPosting, FailuresReleaseTheButtonAndShowTheCursor) {
    using namespace platform;
    const std::vector<CGEventType> drags(4, kCGEventLeftMouseDragged);
    struct Row {
        const char* name;
        int pausesBeforeFailure; // 0: the cursor read and the first move fail
        bool expected;
        std::vector<CGEventType> posted;
        bool cursorHidden;
    };
    std::vector<CGEventType> throughDrag{kCGEventMouseMoved, kCGEventLeftMouseDown};
    throughDrag.insert(throughDrag.end(), drags.begin(), drags.end());
    throughDrag.push_back(kCGEventLeftMouseUp);
    std::vector<CGEventType> throughUp{kCGEventMouseMoved, kCGEventLeftMouseDown};
    throughUp.insert(throughUp.end(), 18, kCGEventLeftMouseDragged);
    throughUp.push_back(kCGEventLeftMouseUp);

    const Row rows[] = {
        {"first move", 0, false, {}, false},
        {"mouse-down: no button to release", 1, false, {kCGEventMouseMoved}, true},
        {"fifth drag step", 6, false, throughDrag, true},
        {"mouse-up: released without Command", 20, false, throughUp, true},
        {"restoring move: the drag stands", 21, true, throughUp, true},
    };
    for (const auto& row : rows) {
        SimDesktopFixture fixture({});
        if (row.pausesBeforeFailure == 0) {
            fixture.desktop->failNext(EventFailure::eventCreation, 2);
        }
        FailingAfterPauses clock(fixture.clock, *fixture.desktop, row.pausesBeforeFailure);
        EXPECT_EQ(MenuBarVisibilityRevealExecutor::postCommandDrag(fixture.desktop->events(), clock,
                                                                   plan, kCGSessionEventTap),
                  row.expected)
            << row.name;
        const auto record = fixture.desktop->record();
        EXPECT_EQ(typesOf(record.events), row.posted) << row.name;
        const std::vector<CursorCall> hiddenAndShown{CursorCall::hide, CursorCall::show};
        EXPECT_EQ(record.cursorCalls, row.cursorHidden ? hiddenAndShown : std::vector<CursorCall>())
            << row.name;
        if (!record.events.empty() && record.events.back().event.type == kCGEventLeftMouseUp) {
            // The recovery release has no Command flag; the recipe's own release has one.
            EXPECT_EQ(record.events.back().event.flags,
                      row.expected ? kCGEventFlagMaskCommand : CGEventFlags{0})
                << row.name;
        }
    }
}

TEST(CommandDragPosting, RestoresToTheStartWhenTheCursorCannotBeRead) {
    SimDesktopFixture fixture({});
    fixture.desktop->failNext(EventFailure::eventCreation, 1);
    EXPECT_TRUE(MenuBarVisibilityRevealExecutor::postCommandDrag(
        fixture.desktop->events(), fixture.clock, plan, platform::kCGHIDEventTap));
    EXPECT_EQ(fixture.desktop->record().events.back().event.location, plan.startPoint);
}

} // namespace
