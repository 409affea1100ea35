#include "platform/ThreadSerialQueue.h"

namespace platform {

ThreadSerialQueue::ThreadSerialQueue(std::string label)
    : label_(std::move(label)), worker_([this] { work(); }) {}

ThreadSerialQueue::~ThreadSerialQueue() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        tasks_.clear();
    }
    queued_.notify_all();
    worker_.join();
}

void ThreadSerialQueue::async(std::function<void()> task) {
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    queued_.notify_one();
}

void ThreadSerialQueue::work() {
    while (true) {
        std::function<void()> task;
        {
            std::unique_lock lock(mutex_);
            queued_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
            if (stopping_) {
                return;
            }
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
    }
}

} // namespace platform
