#include "PollerTestSupport.h"

#include <gtest/gtest.h>

#include <optional>
#include <variant>

namespace {

using namespace std::chrono_literals;
using Parlowen::MenuBarPoller;
using PollerTesting::PollerRig;
using Request = MenuBarPoller::PendingScanRequest;

// A step of a row: a request, or running the loop for a while (0 ms finishes a scan in flight,
// since scans take no virtual time).
struct Ask {
    std::string reason;
    bool bypass = false;
};
struct Wait {
    std::chrono::milliseconds duration;
};
using Step = std::variant<Ask, Wait>;

const Ask tick{"tick"};
const Ask screen{"screen-changed"};
const Ask refresh{"panel-refresh", true};
const Wait finish{0ms};

TEST(MenuBarPollerRequests, StateMachine) {
    struct Row {
        const char* name;
        std::vector<Step> steps;
        // State right after the steps.
        bool inFlight;
        std::optional<Request> queued;
        // The scans run once the loop has done what is due then, by reason.
        std::vector<std::string> scans;
    };
    const std::optional<Request> none;
    const Row rows[] = {
        {"idle", {}, false, none, {}},
        {"first request runs at once", {tick}, true, none, {"tick"}},
        {"finished scan leaves the poller idle", {tick, finish}, false, none, {"tick"}},
        {"requests in flight collapse into the last",
         {Ask{"start"}, tick, screen},
         true,
         Request{"screen-changed", false},
         {"start"}},
        {"bypass in flight is never downgraded and runs when the scan ends",
         {Ask{"start"}, tick, refresh, Ask{"app-launched"}},
         true,
         Request{"panel-refresh", true},
         {"start", "panel-refresh"}},
        {"exactly one scan follows the queued bypass",
         {Ask{"start"}, tick, refresh, Ask{"app-launched"}, finish, Wait{10s}},
         false,
         none,
         {"start", "panel-refresh"}},
        {"queued plain request waits out the throttle after the scan",
         {Ask{"start"}, tick, finish, Wait{1499ms}},
         false,
         Request{"tick", false},
         {"start"}},
        {"queued plain request runs 1.5 s after the scan",
         {Ask{"start"}, tick, finish, Wait{1500ms}},
         false,
         none,
         {"start", "tick"}},
        {"throttled tick is queued",
         {tick, finish, Wait{500ms}, tick},
         false,
         Request{"tick", false},
         {"tick"}},
        {"throttled tick waits the rest of 1.5 s",
         {Ask{"start"}, finish, Wait{500ms}, tick, Wait{999ms}},
         false,
         Request{"tick", false},
         {"start"}},
        {"deferred tick runs at 1.5 s",
         {Ask{"start"}, finish, Wait{500ms}, tick, Wait{1000ms}},
         false,
         none,
         {"start", "tick"}},
        {"second request while throttled is dropped",
         {Ask{"start"}, finish, Wait{500ms}, tick, Wait{500ms}, screen, Wait{500ms}, Wait{10s}},
         false,
         none,
         {"start", "tick"}},
        {"plain request 1.5 s after a scan runs at once",
         {Ask{"start"}, finish, Wait{1500ms}, tick},
         true,
         none,
         {"start", "tick"}},
        {"bypass while throttled runs at once and keeps the deferred request",
         {Ask{"start"}, finish, Wait{500ms}, tick, refresh},
         true,
         Request{"tick", false},
         {"start", "panel-refresh"}},
        {"deferred request waits 1.5 s after the bypass scan",
         {Ask{"start"}, finish, Wait{500ms}, tick, refresh, finish, Wait{1499ms}},
         false,
         Request{"tick", false},
         {"start", "panel-refresh"}},
        {"deferred request runs 1.5 s after the bypass scan",
         {Ask{"start"}, finish, Wait{500ms}, tick, refresh, finish, Wait{1500ms}, Wait{10s}},
         false,
         none,
         {"start", "panel-refresh", "tick"}},
    };
    for (const Row& row : rows) {
        PollerRig rig;
        for (const Step& step : row.steps) {
            if (const auto* ask = std::get_if<Ask>(&step)) {
                rig.poller->scan(ask->reason, ask->bypass);
            } else {
                rig.run(std::get<Wait>(step).duration);
            }
        }
        EXPECT_EQ(rig.poller->isScanInFlight(), row.inFlight) << row.name;
        EXPECT_EQ(rig.poller->queuedScanRequest(), row.queued) << row.name;
        rig.run(0ms);
        EXPECT_EQ(rig.startedReasons(), row.scans) << row.name;
        EXPECT_EQ(rig.snapshots.size(), row.scans.size()) << row.name;
    }
}

// A wall clock set back must not stall scanning: the throttle counts monotonic time.
TEST(MenuBarPollerRequests, WallClockSetBackDoesNotStallTheThrottle) {
    class SetBackClock : public platform::Clock {
    public:
        explicit SetBackClock(platform::Clock& base) : base(base) {}
        platform::MonotonicTime now() const override { return base.now(); }
        platform::WallTime wallNow() const override { return base.wallNow() - setBack; }
        void sleep(platform::Duration duration) override { base.sleep(duration); }

        platform::Clock& base;
        platform::Duration setBack{0};
    };
    PollerRig rig;
    SetBackClock clock(rig.sim.clock);
    const platform::PlatformServices real = rig.sim.desktop.services();
    rig.makePoller({real.accessibility, real.windowServer, real.events, real.displays,
                    real.workspace, real.mainLoop, clock, real.bundle, real.log, real.environment,
                    real.loginItems, real.statusBar, real.hotKeys, real.eventMonitors,
                    real.distributedNotifications, real.runningCopies},
                   5);
    rig.poller->scan("start", false);
    rig.run(0ms);
    clock.setBack = std::chrono::hours(1);
    rig.run(1600ms);
    rig.poller->scan("tick", false);
    EXPECT_TRUE(rig.poller->isScanInFlight());
    rig.run(0ms);
    ASSERT_EQ(rig.snapshots.size(), 2u);
    EXPECT_LT(rig.snapshots[1].scanStartedAt, rig.snapshots[0].scanStartedAt);
}

} // namespace
