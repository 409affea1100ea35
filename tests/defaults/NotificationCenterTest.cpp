#include "platform/NotificationCenter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <latch>
#include <optional>
#include <thread>
#include <vector>

namespace {

using platform::Notification;
using platform::NotificationCenter;

TEST(NotificationCenter, DeliversToObserversOfTheNameWithTheObject) {
    NotificationCenter center;
    std::vector<std::string> received;
    auto status = center.addObserver("TessalineScanStatusDidChange", [&](const Notification& n) {
        received.push_back("status " + std::to_string(std::any_cast<int>(n.object)));
    });
    auto feedback =
        center.addObserver("TessalineActionFeedbackDidChange", [&](const Notification& n) {
            received.push_back(n.object.has_value() ? "feedback" : "feedback cleared");
        });
    center.post("TessalineScanStatusDidChange", 3);
    center.post("TessalineScanStatusDidChange", 3);
    center.post("TessalineActionFeedbackDidChange");
    center.post("Other", 1);
    EXPECT_EQ(received, (std::vector<std::string>{"status 3", "status 3", "feedback cleared"}));
}

TEST(NotificationCenter, DestroyedTokenUnregisters) {
    NotificationCenter center;
    int calls = 0;
    std::optional<NotificationCenter::ObservationToken> token =
        center.addObserver("name", [&](const Notification&) { ++calls; });
    center.post("name");
    token.reset();
    center.post("name");
    EXPECT_EQ(calls, 1);

    // A block may drop its own observation while it runs.
    NotificationCenter::ObservationToken self;
    self = center.addObserver("name", [&](const Notification&) {
        ++calls;
        self.reset();
    });
    center.post("name");
    center.post("name");
    EXPECT_EQ(calls, 2);
}

TEST(NotificationCenter, TokenOutlivingTheCentreIsHarmless) {
    NotificationCenter::ObservationToken token;
    {
        NotificationCenter center;
        token = center.addObserver("name", [](const Notification&) {});
    }
    token.reset();
}

TEST(NotificationCenter, ResetWaitsForADeliveryOnAnotherThread) {
    NotificationCenter center;
    std::atomic<bool> started = false;
    std::atomic<bool> finished = false;
    auto token = center.addObserver("slow", [&](const Notification&) {
        started = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        finished = true;
    });
    std::thread poster([&] { center.post("slow"); });
    while (!started) {
        std::this_thread::yield();
    }
    token.reset();
    EXPECT_TRUE(finished);
    poster.join();
}

TEST(NotificationCenter, ConcurrentPostsAndObservationsDeliverEveryPost) {
    NotificationCenter center;
    std::atomic<int> delivered = 0;
    auto counter = center.addObserver("tick", [&](const Notification&) { ++delivered; });
    std::vector<std::thread> threads;
    std::latch start(4); // the threads post and observe at the same time
    for (int thread = 0; thread < 4; ++thread) {
        threads.emplace_back([&] {
            start.arrive_and_wait();
            for (int index = 0; index < 200; ++index) {
                auto transient = center.addObserver("tick", [](const Notification&) {});
                center.post("tick");
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(delivered, 800);
}

} // namespace
