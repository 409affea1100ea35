#pragma once

#include "platform/Clock.h"

#include <QPointer>

#include <functional>
#include <memory>

class QObject;

namespace platform {
class RunLoop;
class Timer;
} // namespace platform

// A repeating tick on the platform run loop (virtual time in tests) for a Qt object: the tick
// runs only while its owner exists, and at most one timer runs at a time.
class RunLoopTicker {
public:
    RunLoopTicker(platform::RunLoop& loop, platform::Duration interval);
    RunLoopTicker(const RunLoopTicker&) = delete;
    RunLoopTicker& operator=(const RunLoopTicker&) = delete;
    ~RunLoopTicker();

    // An interval given in seconds.
    static platform::Duration seconds(double seconds);

    // Starts ticking unless a timer runs already.
    void startIfNeeded(QObject* owner, std::function<void()> tick);
    // Starts afresh, replacing a running timer.
    void restart(QObject* owner, std::function<void()> tick);
    void stop();
    bool isRunning() const { return timer_ != nullptr; }

private:
    platform::RunLoop& loop_;
    platform::Duration interval_;
    std::shared_ptr<platform::Timer> timer_;
};
