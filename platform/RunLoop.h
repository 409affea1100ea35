#pragma once

#include "platform/Clock.h"
#include "platform/RunLoopSource.h"
#include "platform/SerialQueue.h"

#include <functional>
#include <memory>
#include <string>

namespace platform {

using Task = std::function<void()>;

// A repeating timer of a run loop. The loop keeps it alive until it is invalidated.
class Timer {
public:
    Timer() = default;
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    virtual ~Timer() = default;

    // Stops the timer for good (NSTimer invalidate).
    virtual void invalidate() = 0;
    // False once invalidated.
    virtual bool isValid() const = 0;
};

// The event loop of one thread (the main thread in the program): tasks, timers and sources all
// run on the thread that runs the loop. Posting is safe from any thread.
class RunLoop {
public:
    RunLoop() = default;
    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;
    virtual ~RunLoop() = default;

    // The clock whose time this loop keeps.
    virtual Clock& clock() = 0;
    // Queues a task for the loop's next turn.
    virtual void post(Task task) = 0;
    // Queues a task to run once the delay has passed.
    virtual void postAfter(Duration delay, Task task) = 0;
    // Starts a timer that runs the task every interval until invalidated (not before one
    // interval has passed).
    virtual std::shared_ptr<Timer> scheduleRepeatingTimer(Duration interval, Task task) = 0;
    // Runs the loop on the calling thread for the duration, performing due tasks, timers and
    // sources; returns when the time is up. Calls may nest (CFRunLoopRunInMode, default mode).
    virtual void runFor(Duration duration) = 0;
    // Adds a source whose work the loop performs while it runs.
    virtual void addSource(const std::shared_ptr<RunLoopSource>& source) = 0;
    // Removes a source added before; its pending work stays with the source.
    virtual void removeSource(const std::shared_ptr<RunLoopSource>& source) = 0;
    // A new serial queue, with a label ("app.tessaline.scanner"), whose tasks run in order one
    // at a time away from this loop (in virtual time: on this loop, in order).
    virtual std::unique_ptr<SerialQueue> makeSerialQueue(std::string label) = 0;
};

} // namespace platform
