#pragma once

#include "platform/SerialQueue.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace platform {

// A serial queue with a worker thread of its own.
class ThreadSerialQueue : public SerialQueue {
public:
    explicit ThreadSerialQueue(std::string label);
    ~ThreadSerialQueue() override;

    const std::string& label() const override { return label_; }
    void async(std::function<void()> task) override;

private:
    void work();

    const std::string label_;
    std::mutex mutex_;
    std::condition_variable queued_;
    std::deque<std::function<void()>> tasks_;
    bool stopping_ = false;
    std::thread worker_;
};

} // namespace platform
