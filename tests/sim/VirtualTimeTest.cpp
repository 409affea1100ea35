#include "SimTestSupport.h"

#include "platform/RealTimeRunLoop.h"
#include "platform/SystemClock.h"

#include <gtest/gtest.h>

#include <atomic>

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
