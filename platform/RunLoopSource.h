#pragma once

#include "platform/Clock.h"
#include "platform/DueQueue.h"

#include <functional>
#include <mutex>
#include <optional>
#include <vector>

namespace platform {

// A source of work that a run loop performs while it runs, like a CoreFoundation run-loop
// source: producers on any thread schedule work, and it runs on the thread of a loop that holds
// the source, only while that loop runs. Work scheduled while no loop holds the source waits.
class RunLoopSource {
public:
    using Work = std::function<void()>;

    RunLoopSource() = default;
    RunLoopSource(const RunLoopSource&) = delete;
    RunLoopSource& operator=(const RunLoopSource&) = delete;

    // Queues work to run at `due` or later; wakes the loops that hold the source.
    void schedule(MonotonicTime due, Work work);
    // The earliest due time of the queued work, if any.
    std::optional<MonotonicTime> nextDue() const;
    // Removes and returns the work due at `now`, earliest first (for run loops).
    std::vector<Work> takeDue(MonotonicTime now);
    // Drops all queued work.
    void cancelAll();

    // Called by a loop that adds the source: how to wake it when work is queued. Returns a key
    // for `removeWaker`.
    int addWaker(std::function<void()> wake);
    void removeWaker(int key);

private:
    mutable std::mutex mutex_;
    DueQueue<Work> entries_;
    std::vector<std::pair<int, std::function<void()>>> wakers_;
    int nextWakerKey_ = 0;
};

} // namespace platform
