#pragma once

#include <functional>
#include <string>

namespace platform {

// A serial dispatch queue: tasks run in the order queued, one at a time.
class SerialQueue {
public:
    SerialQueue() = default;
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;
    // Waits for the running task; tasks not yet started are dropped.
    virtual ~SerialQueue() = default;

    // The queue's label.
    virtual const std::string& label() const = 0;
    // Queues a task; safe from any thread.
    virtual void async(std::function<void()> task) = 0;
};

} // namespace platform
