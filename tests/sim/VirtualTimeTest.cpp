#include "SimTestSupport.h"

#include "platform/RealTimeRunLoop.h"
#include "platform/SystemClock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <bit>

namespace platform::sim {
namespace {

using namespace std::chrono_literals;

TEST(VirtualTime, ASixSecondWaitReturnsAtOnce) {
    VirtualClock clock;
    VirtualRunLoop loop(clock);
    const auto realStart = std::chrono::steady_clock::now();
    const MonotonicTime start = clock.now();
    int ticks = 0;
    auto timer = loop.scheduleRepeatingTimer(1s, [&] { ++ticks; });
    std::vector<int> order;
    loop.postAfter(2500ms, [&] { order.push_back(2); });
    loop.post([&] { order.push_back(1); });
    loop.runFor(6s);
    EXPECT_EQ(clock.now() - start, 6s);
    EXPECT_EQ(ticks, 6);
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    EXPECT_LT(std::chrono::steady_clock::now() - realStart, 1s);
    timer->invalidate();
    loop.runFor(3s);
    EXPECT_EQ(ticks, 6);
    clock.sleep(220ms);
    EXPECT_EQ(clock.now() - start, 9220ms);
}

// A task that holds the loop past several firings of a timer: the timer fires once when the
// loop is free again, then keeps its interval from there, as NSTimer does.
TEST(VirtualTime, ALateTimerSkipsTheFiringsItMissed) {
    VirtualClock clock;
    VirtualRunLoop loop(clock);
    std::vector<Duration> firings;
    const MonotonicTime start = clock.now();
    auto timer = loop.scheduleRepeatingTimer(1s, [&] { firings.push_back(clock.now() - start); });
    loop.postAfter(500ms, [&] { clock.sleep(3200ms); });
    loop.runFor(5s);
    timer->invalidate();
    EXPECT_EQ(firings, (std::vector<Duration>{3700ms, 4700ms}));
}

TEST(VirtualTime, NestedRunsAndSerialQueuesKeepTheirOrder) {
    VirtualClock clock;
    VirtualRunLoop loop(clock);
    auto queue = loop.makeSerialQueue("app.tessaline.scanner");
    EXPECT_EQ(queue->label(), "app.tessaline.scanner");
    std::vector<std::string> log;
    queue->async([&] {
        log.push_back("scan 1 start");
        loop.runFor(100ms); // a nested run must not start the next scan
        log.push_back("scan 1 end");
    });
    queue->async([&] { log.push_back("scan 2"); });
    loop.runFor(1s);
    EXPECT_EQ(log, (std::vector<std::string>{"scan 1 start", "scan 1 end", "scan 2"}));
}

// Draining n queued tasks costs O(n log n) of the queue's work, not a look at every queued task
// per step. The tasks fall due in a thousand groups, so a scan shows within the first run and a
// group of equal due times still runs in posting order.
TEST(VirtualTime, DrainingManyTasksCostsLogarithmicWorkPerTask) {
    constexpr int tasks = 100'000;
    constexpr int groups = 1'000;
    VirtualClock clock;
    VirtualRunLoop loop(clock);
    int ran = 0;
    bool inOrder = true;
    for (int index = 0; index < tasks; ++index) {
        loop.postAfter(std::chrono::milliseconds(index / (tasks / groups)), [&, index] {
            inOrder = inOrder && index == ran;
            ++ran;
        });
    }
    // A binary heap compares about 2 log2 n times per task; a scan would add n per task.
    const std::uint64_t budget = 4ULL * tasks * std::bit_width(unsigned{tasks});
    for (int group = 0; group < groups && ran < tasks; ++group) {
        loop.runFor(1ms);
        ASSERT_LE(loop.queueWork(), budget) << "after " << ran << " tasks";
    }
    EXPECT_EQ(ran, tasks);
    EXPECT_TRUE(inOrder);
}

// A timer made again and again for a long interval (a poller whose interval keeps changing)
// lets go of the invalidated ones' tasks long before they would have fallen due, and of all of
// them once they would have.
TEST(VirtualTime, InvalidatedTimersDoNotPileUp) {
    VirtualClock clock;
    VirtualRunLoop loop(clock);
    const auto held = std::make_shared<int>(0);
    for (int remade = 0; remade < 1'000; ++remade) {
        loop.scheduleRepeatingTimer(1h, [held] {})->invalidate();
    }
    EXPECT_LE(held.use_count(), 1 + 64);
    loop.runFor(2h);
    EXPECT_EQ(held.use_count(), 1);
}

TEST(VirtualTime, TrustIsGrantedAfterThePromptsDelay) {
    VirtualDesktop sample("external-plain");
    Accessibility& ax = sample.desktop.accessibility();
    EXPECT_FALSE(ax.isProcessTrusted(false));
    EXPECT_FALSE(ax.isProcessTrusted(true));
    sample.clock.sleep(1400ms);
    EXPECT_FALSE(ax.isProcessTrusted(false));
    sample.clock.sleep(100ms);
    EXPECT_TRUE(ax.isProcessTrusted(false));
    EXPECT_EQ(sample.desktop.record().trustPrompts, 1);
}

TEST(RealTime, LoopRunsPostsFromOtherThreads) {
    SystemClock clock;
    RealTimeRunLoop loop(clock);
    auto queue = loop.makeSerialQueue("worker");
    std::atomic<int> result = 0;
    queue->async([&] { loop.post([&] { result = 42; }); });
    const MonotonicTime deadline = clock.now() + 2s;
    while (result == 0 && clock.now() < deadline) {
        loop.runFor(20ms);
    }
    EXPECT_EQ(result, 42);
}

} // namespace
} // namespace platform::sim
