#pragma once

#include "platform/DueQueue.h"
#include "platform/RunLoop.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <vector>

namespace platform {

// The run-loop machinery shared by the real-time and the virtual-time loops: due tasks, timers
// and sources, taken one step at a time so that nested runs keep their order. Subclasses only
// decide how to wait for the next due time.
class BasicRunLoop : public RunLoop {
public:
    explicit BasicRunLoop(Clock& clock);
    ~BasicRunLoop() override;

    Clock& clock() override { return clock_; }
    void post(Task task) override;
    void postAfter(Duration delay, Task task) override;
    std::shared_ptr<Timer> scheduleRepeatingTimer(Duration interval, Task task) override;
    void runFor(Duration duration) override;
    void addSource(const std::shared_ptr<RunLoopSource>& source) override;
    void removeSource(const std::shared_ptr<RunLoopSource>& source) override;

    // The work the queue of tasks and timers has done so far (comparisons, entries swept):
    // draining n tasks costs O(n log n) of it, which tests and benchmarks count.
    std::uint64_t queueWork();

protected:
    // Waits until `until` or until woken early. Called with the loop's lock held.
    virtual void waitUntil(std::unique_lock<std::mutex>& lock, MonotonicTime until) = 0;
    // Makes a wait in progress return early.
    virtual void wake() = 0;
    // Runs one due task or timer, or the due work of the sources; false when nothing was due.
    bool performOneStep();
    // When the next task, timer or source work falls due, if anything is queued.
    std::optional<MonotonicTime> nextDueTime();

    std::mutex mutex_;

private:
    class RepeatingTimer;
    struct Scheduled {
        Task task;
        std::shared_ptr<RepeatingTimer> timer;
    };
    struct AttachedSource {
        std::shared_ptr<RunLoopSource> source;
        int wakerKey = 0;
    };

    void scheduleLocked(MonotonicTime due, Task task, std::shared_ptr<RepeatingTimer> timer);
    std::optional<MonotonicTime> nextDueLocked();
    void dropInvalidatedTimersLocked();

    Clock& clock_;
    DueQueue<Scheduled> scheduled_;
    // The queue's size at which invalidated timers are next swept out of it.
    std::size_t sweepAt_;
    std::vector<AttachedSource> sources_;
};

} // namespace platform
