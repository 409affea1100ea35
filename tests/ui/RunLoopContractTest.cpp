// One contract for every run loop of the program: the virtual loop of the tests and the Qt loop
// of the product pass the same tests. Durations are short and the checks allow for real time.
#include "platform/SystemClock.h"
#include "platform/qt/QtRunLoop.h"
#include "platform/sim/VirtualRunLoop.h"
#include "tests/support/UiTestApplication.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <atomic>
#include <latch>
#include <mutex>
#include <numeric>
#include <thread>

namespace {

using namespace std::chrono_literals;
using platform::Duration;
using platform::RunLoop;

struct VirtualLoop {
    platform::sim::VirtualClock clock;
    platform::sim::VirtualRunLoop loop{clock};
};

struct QtLoop {
    // Made before the loop, which needs it.
    QApplication& application = tessaline::testing::uiTestApplication();
    platform::SystemClock clock;
    platform::qt::QtRunLoop loop{clock};
};

template <typename Loop> class RunLoopContract : public testing::Test {
protected:
    // Runs the loop in short slices until `done` holds or two real seconds have passed.
    bool runUntil(const std::function<bool()>& done) {
        const auto giveUp = std::chrono::steady_clock::now() + 2s;
        while (!done() && std::chrono::steady_clock::now() < giveUp) {
            loop().runFor(10ms);
        }
        return done();
    }

    RunLoop& loop() { return made.loop; }

    Loop made;
};

using Loops = testing::Types<VirtualLoop, QtLoop>;
class LoopNames {
public:
    template <typename T> static std::string GetName(int) {
        return std::is_same_v<T, VirtualLoop> ? "Virtual" : "Qt";
    }
};
TYPED_TEST_SUITE(RunLoopContract, Loops, LoopNames);

TYPED_TEST(RunLoopContract, TasksRunInPostingAndDueOrder) {
    std::vector<std::string> order;
    RunLoop& loop = this->loop();
    loop.postAfter(40ms, [&] { order.push_back("late"); });
    loop.postAfter(20ms, [&] { order.push_back("soon"); });
    loop.post([&] {
        order.push_back("first");
        loop.post([&] { order.push_back("posted by first"); });
    });
    loop.post([&] { order.push_back("second"); });
    loop.postAfter(20ms, [&] { order.push_back("soon, posted later"); });
    EXPECT_TRUE(this->runUntil([&] { return order.size() == 6; }));
    EXPECT_EQ(order, (std::vector<std::string>{"first", "second", "posted by first", "soon",
                                               "soon, posted later", "late"}));
}

TYPED_TEST(RunLoopContract, RunForReturnsOnlyOnceItsTimeHasPassed) {
    const auto start = this->loop().clock().now();
    this->loop().runFor(30ms);
    EXPECT_GE(this->loop().clock().now() - start, 30ms);
}

TYPED_TEST(RunLoopContract, NestedRunPerformsOtherWorkAndReturnsToItsCaller) {
    RunLoop& loop = this->loop();
    std::vector<std::string> log;
    loop.post([&] {
        log.push_back("outer start");
        loop.runFor(40ms);
        log.push_back("outer end");
    });
    loop.post([&] { log.push_back("queued behind outer"); });
    loop.postAfter(15ms, [&] {
        log.push_back("inner start");
        loop.runFor(5ms);
        log.push_back("inner end");
    });
    EXPECT_TRUE(this->runUntil([&] { return log.size() == 5; }));
    EXPECT_EQ(log, (std::vector<std::string>{"outer start", "queued behind outer", "inner start",
                                             "inner end", "outer end"}));
}

TYPED_TEST(RunLoopContract, RepeatingTimerFiresUntilInvalidated) {
    RunLoop& loop = this->loop();
    int fired = 0;
    std::shared_ptr<platform::Timer> timer;
    timer = loop.scheduleRepeatingTimer(5ms, [&] {
        if (++fired == 3) {
            timer->invalidate();
        }
    });
    EXPECT_TRUE(this->runUntil([&] { return fired == 3; }));
    loop.runFor(30ms);
    EXPECT_EQ(fired, 3);
    EXPECT_FALSE(timer->isValid());
}

TYPED_TEST(RunLoopContract, TimerInvalidatedBeforeItsFirstIntervalNeverFires) {
    int fired = 0;
    auto timer = this->loop().scheduleRepeatingTimer(20ms, [&] { ++fired; });
    timer->invalidate();
    this->loop().runFor(70ms);
    EXPECT_EQ(fired, 0);
}

TYPED_TEST(RunLoopContract, PostsFromOtherThreadsArriveInEachThreadsOrder) {
    constexpr int threads = 4;
    constexpr int perThread = 200;
    std::mutex mutex;
    std::vector<std::vector<int>> received(threads);
    std::latch start(threads);
    std::vector<std::thread> posters;
    for (int thread = 0; thread < threads; ++thread) {
        posters.emplace_back([&, thread] {
            start.arrive_and_wait(); // all threads post at once
            for (int index = 0; index < perThread; ++index) {
                this->loop().post([&, thread, index] {
                    const std::lock_guard lock(mutex);
                    received[thread].push_back(index);
                });
            }
        });
    }
    const auto all = [&] {
        const std::lock_guard lock(mutex);
        std::size_t count = 0;
        for (const auto& list : received) {
            count += list.size();
        }
        return count == threads * perThread;
    };
    // The loop turns while the threads post.
    EXPECT_TRUE(this->runUntil(all));
    for (auto& poster : posters) {
        poster.join();
    }
    std::vector<int> expected(perThread);
    std::iota(expected.begin(), expected.end(), 0);
    for (const auto& list : received) {
        EXPECT_EQ(list, expected);
    }
}

TYPED_TEST(RunLoopContract, SourceWorkRunsOnlyWhileTheLoopHoldsTheSource) {
    RunLoop& loop = this->loop();
    auto source = std::make_shared<platform::RunLoopSource>();
    std::atomic<int> performed = 0;
    loop.addSource(source);
    std::thread producer([&] { source->schedule(loop.clock().now(), [&] { ++performed; }); });
    producer.join();
    EXPECT_TRUE(this->runUntil([&] { return performed == 1; }));
    loop.removeSource(source);
    source->schedule(loop.clock().now(), [&] { ++performed; });
    loop.runFor(20ms);
    EXPECT_EQ(performed, 1);
    loop.addSource(source);
    EXPECT_TRUE(this->runUntil([&] { return performed == 2; }));
}

TYPED_TEST(RunLoopContract, SerialQueueRunsTasksInOrderOneAtATime) {
    RunLoop& loop = this->loop();
    auto queue = loop.makeSerialQueue("app.tessaline.scanner");
    EXPECT_EQ(queue->label(), "app.tessaline.scanner");
    std::atomic<int> running = 0;
    std::atomic<bool> overlapped = false;
    std::vector<int> order;
    std::mutex mutex;
    std::atomic<int> handedBack = 0;
    for (int index = 0; index < 5; ++index) {
        queue->async([&, index] {
            overlapped = overlapped || running++ > 0;
            {
                const std::lock_guard lock(mutex);
                order.push_back(index);
            }
            --running;
            loop.post([&] { ++handedBack; });
        });
    }
    EXPECT_TRUE(this->runUntil([&] { return handedBack == 5; }));
    EXPECT_FALSE(overlapped);
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
}

} // namespace
