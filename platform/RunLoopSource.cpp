#include "platform/RunLoopSource.h"

#include <algorithm>

namespace platform {

void RunLoopSource::schedule(MonotonicTime due, Work work) {
    std::vector<std::function<void()>> wakers;
    {
        std::lock_guard lock(mutex_);
        entries_.push_back({due, nextOrder_++, std::move(work)});
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
    return std::min_element(entries_.begin(), entries_.end(),
                            [](const Entry& a, const Entry& b) { return a.due < b.due; })
        ->due;
}

std::vector<RunLoopSource::Work> RunLoopSource::takeDue(MonotonicTime now) {
    std::vector<Entry> due;
    {
        std::lock_guard lock(mutex_);
        auto firstLater = std::stable_partition(entries_.begin(), entries_.end(),
                                                [now](const Entry& e) { return e.due <= now; });
        due.assign(std::make_move_iterator(entries_.begin()), std::make_move_iterator(firstLater));
        entries_.erase(entries_.begin(), firstLater);
    }
    std::sort(due.begin(), due.end(), [](const Entry& a, const Entry& b) {
        return a.due != b.due ? a.due < b.due : a.order < b.order;
    });
    std::vector<Work> work;
    work.reserve(due.size());
    for (Entry& entry : due) {
        work.push_back(std::move(entry.work));
    }
    return work;
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
