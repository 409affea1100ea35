#include "platform/FileLock.h"
#include "platform/QueuedFileLock.h"

#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <fstream>
#include <latch>
#include <thread>

namespace {

using namespace platform;

// Whether a thread of this process waits in flock (a "->" line of /proc/locks).
bool waitsForAFileLock() {
    std::ifstream locks("/proc/locks");
    const std::string pid = " " + std::to_string(::getpid()) + " ";
    for (std::string line; std::getline(locks, line);) {
        if (line.find("-> FLOCK") != std::string::npos && line.find(pid) != std::string::npos) {
            return true;
        }
    }
    return false;
}

// A moved lock goes with its descriptor: the source holds nothing, and a lock moved over
// another lets the other go.
TEST(FileLockTest, AMovedLockGoesWithItsDescriptor) {
    TemporaryFolder temporary;
    const auto first = temporary.path() / "first.lock";
    const auto second = temporary.path() / "second.lock";
    FileLock source(first);
    ASSERT_TRUE(source.held());
    FileLock moved(std::move(source));
    EXPECT_FALSE(source.held());
    EXPECT_TRUE(moved.held());

    FileLock target(second);
    ASSERT_TRUE(target.held());
    target = std::move(moved);
    EXPECT_FALSE(moved.held());
    EXPECT_TRUE(target.held());
    EXPECT_TRUE(FileLock(second).held()) << "the lock moved over still holds its old file";
    EXPECT_TRUE(FileLock(first).heldElsewhere());
}

// A writer that waits for the lock gets it when the holder lets it go: the holder cannot take
// it back first, however quickly it tries.
TEST(FileLockTest, AWaitingWriterGetsTheLockBeforeItsHolderTakesItAgain) {
    TemporaryFolder temporary;
    const auto path = temporary.path() / "settings.lock";
    auto holder = std::make_unique<QueuedFileLock>(path, QueuedFileLock::Wait::none);
    ASSERT_TRUE(holder->held());
    std::atomic<bool> waiterHeld = false;
    std::latch checked(1);
    std::thread waiter([&] {
        const QueuedFileLock turn(path, QueuedFileLock::Wait::untilFree);
        waiterHeld = turn.held();
        checked.wait();
    });
    while (!waitsForAFileLock()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    holder.reset();
    {
        const QueuedFileLock again(path, QueuedFileLock::Wait::none);
        EXPECT_FALSE(again.held());
        EXPECT_TRUE(again.heldElsewhere());
    }
    checked.count_down();
    waiter.join();
    EXPECT_TRUE(waiterHeld);
}

} // namespace
