#include "platform/RunLoopSource.h"

namespace platform {

void RunLoopSource::schedule(MonotonicTime due, Work work) {
    std::vector<std::function<void()>> wakers;
    {
        std::lock_guard lock(mutex_);
        entries_.push(due, std::move(work));
        for (const auto& [key, wake] : wakers_) {
            wakers.push_back(wake);
        }
    }
    // Woken outside the lock: a loop may read the source from its wake handler.
    for (const auto& wake : wakers) {
        wake();
    }
}

std::optional<MonotonicTime> RunLoopSource::nextDue() const {
    std::lock_guard lock(mutex_);
    if (entries_.empty()) {
        return std::nullopt;
    }
    return entries_.nextDue();
}

std::vector<RunLoopSource::Work> RunLoopSource::takeDue(MonotonicTime now) {
    std::vector<Work> due;
    std::lock_guard lock(mutex_);
    while (!entries_.empty() && entries_.nextDue() <= now) {
        due.push_back(entries_.pop());
    }
    return due;
}

void RunLoopSource::cancelAll() {
    std::lock_guard lock(mutex_);
    entries_.clear();
}

int RunLoopSource::addWaker(std::function<void()> wake) {
    std::lock_guard lock(mutex_);
    wakers_.emplace_back(nextWakerKey_, std::move(wake));
    return nextWakerKey_++;
}

void RunLoopSource::removeWaker(int key) {
    std::lock_guard lock(mutex_);
    std::erase_if(wakers_, [key](const auto& entry) { return entry.first == key; });
}

} // namespace platform
