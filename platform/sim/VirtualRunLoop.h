#pragma once

#include "platform/BasicRunLoop.h"
#include "platform/sim/VirtualClock.h"

namespace platform::sim {

// A run loop in virtual time: instead of waiting it moves its clock to the next due task, timer
// or source, so a six-second wait returns at once. Its serial queues run their tasks on this
// loop, in order, which keeps tests single-threaded and deterministic.
class VirtualRunLoop : public BasicRunLoop {
public:
    explicit VirtualRunLoop(VirtualClock& clock) : BasicRunLoop(clock), clock_(clock) {}

    std::unique_ptr<SerialQueue> makeSerialQueue(std::string label) override;

protected:
    void waitUntil(std::unique_lock<std::mutex>& lock, MonotonicTime until) override;
    void wake() override {}

private:
    VirtualClock& clock_;
};

} // namespace platform::sim
