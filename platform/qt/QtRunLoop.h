#pragma once

#include "platform/BasicRunLoop.h"

#include <atomic>
#include <memory>
#include <vector>

class QEvent;
class QEventLoop;

namespace platform::qt {

// The program's main run loop on Qt's event loop: tasks, timers and sources run while Qt runs
// (QApplication::exec or a nested runFor), on the thread that made the loop; posting is safe
// from any thread. A runFor wait delivers no user input, as a macOS run-loop wait in the default
// mode does not: keys and clicks that arrive during it are held and delivered after the
// outermost wait returns, so a click during a menu-opening wait cannot start a second opening
// inside the first. Serial queues run on threads of their own.
class QtRunLoop : public BasicRunLoop {
public:
    // Needs a QCoreApplication; the loop belongs to the calling thread.
    explicit QtRunLoop(Clock& clock);
    ~QtRunLoop() override;

    void runFor(Duration duration) override;
    std::unique_ptr<SerialQueue> makeSerialQueue(std::string label) override;

protected:
    // Turns a nested Qt event loop, without user input, until `until` or a wake.
    void waitUntil(std::unique_lock<std::mutex>& lock, MonotonicTime until) override;
    void wake() override;

private:
    class Pump;
    class InputHold;

    // Called on the loop's thread when woken or when the next item falls due: ends the innermost
    // wait (its runFor performs the work), or, outside any wait, performs what is due.
    void turn();
    void armForNextDue();

    std::unique_ptr<Pump> pump_;
    std::unique_ptr<InputHold> inputHold_;
    // The wake event to post next; none while one is posted and not yet received.
    std::atomic<QEvent*> spareWake_;
    std::vector<QEventLoop*> waits_;
    int nestedRuns_ = 0;
};

} // namespace platform::qt
