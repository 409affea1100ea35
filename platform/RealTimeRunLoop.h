#pragma once

#include "platform/BasicRunLoop.h"

namespace platform {

// A run loop in real time for plain C++ programs and tests of threading; its serial queues run
// on threads of their own.
class RealTimeRunLoop : public BasicRunLoop {
public:
    explicit RealTimeRunLoop(Clock& clock) : BasicRunLoop(clock) {}

    std::unique_ptr<SerialQueue> makeSerialQueue(std::string label) override;

protected:
    void waitUntil(std::unique_lock<std::mutex>& lock, MonotonicTime until) override;
    void wake() override;

private:
    std::condition_variable woken_;
    bool wakeRequested_ = false;
};

} // namespace platform
