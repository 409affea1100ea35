#pragma once

#include "platform/Clock.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace platform {

// Items ordered by due time, then by the order they were pushed in: a binary heap, so a push and
// taking the earliest item cost O(log n) each. It counts its work (comparisons and entries
// swept) so that tests and benchmarks can hold it to that bound by counting, not timing.
template <typename Item> class DueQueue {
public:
    bool empty() const { return heap_.empty(); }
    std::size_t size() const { return heap_.size(); }
    // The earliest item and its due time; only when not empty.
    const Item& next() const { return heap_.front().item; }
    MonotonicTime nextDue() const { return heap_.front().due; }

    void push(MonotonicTime due, Item item) {
        heap_.push_back({due, nextOrder_++, std::move(item)});
        std::push_heap(heap_.begin(), heap_.end(), later());
    }

    // Removes and returns the earliest item; only when not empty.
    Item pop() {
        std::pop_heap(heap_.begin(), heap_.end(), later());
        Item item = std::move(heap_.back().item);
        heap_.pop_back();
        return item;
    }

    // Removes every item that `drop` holds for, in one sweep of the whole queue.
    template <typename Predicate> void removeIf(Predicate drop) {
        work_ += heap_.size();
        std::erase_if(heap_, [&](const Entry& entry) { return drop(entry.item); });
        std::make_heap(heap_.begin(), heap_.end(), later());
    }

    void clear() { heap_.clear(); }

    // Comparisons made and entries swept so far.
    std::uint64_t work() const { return work_; }

private:
    struct Entry {
        MonotonicTime due;
        std::uint64_t order;
        Item item;
    };

    // The heap's order: the entry that falls due later (or was pushed later) sinks.
    auto later() {
        return [this](const Entry& a, const Entry& b) {
            ++work_;
            return a.due != b.due ? a.due > b.due : a.order > b.order;
        };
    }

    std::vector<Entry> heap_;
    std::uint64_t nextOrder_ = 0;
    std::uint64_t work_ = 0;
};

} // namespace platform
