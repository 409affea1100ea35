#include "platform/RealTimeRunLoop.h"

#include "platform/ThreadSerialQueue.h"

namespace platform {

std::unique_ptr<SerialQueue> RealTimeRunLoop::makeSerialQueue(std::string label) {
    return std::make_unique<ThreadSerialQueue>(std::move(label));
}

void RealTimeRunLoop::waitUntil(std::unique_lock<std::mutex>& lock, MonotonicTime until) {
    // The loop's clock is the steady clock here, so its time points are steady-clock ones.
    woken_.wait_until(lock, until, [this] { return wakeRequested_; });
    wakeRequested_ = false;
}

void RealTimeRunLoop::wake() {
    {
        std::lock_guard lock(mutex_);
        wakeRequested_ = true;
    }
    woken_.notify_all();
}

} // namespace platform
