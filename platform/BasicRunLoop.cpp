#include "platform/BasicRunLoop.h"

#include <algorithm>
#include <atomic>

namespace platform {

namespace {
// Timers fire no more often than this, so that a zero interval cannot spin the loop.
constexpr Duration minimumTimerInterval = std::chrono::milliseconds(1);
// Longer runs and delays are cut to this, keeping time points far from overflow.
constexpr Duration longestSpan = std::chrono::hours(24 * 365 * 10);
// The smallest queue that is swept for invalidated timers.
constexpr std::size_t smallestSweep = 64;

Duration clamped(Duration duration) {
    return std::clamp(duration, Duration::zero(), longestSpan);
}
} // namespace

class BasicRunLoop::RepeatingTimer : public Timer {
public:
    RepeatingTimer(Duration interval, Task task)
        : interval(std::max(clamped(interval), minimumTimerInterval)), task(std::move(task)) {}

    void invalidate() override { valid_ = false; }
    bool isValid() const override { return valid_; }

    const Duration interval;
    const Task task;

private:
    std::atomic<bool> valid_{true};
};

BasicRunLoop::BasicRunLoop(Clock& clock) : clock_(clock), sweepAt_(smallestSweep) {}

BasicRunLoop::~BasicRunLoop() {
    for (const AttachedSource& attached : sources_) {
        attached.source->removeWaker(attached.wakerKey);
    }
}

void BasicRunLoop::scheduleLocked(MonotonicTime due, Task task,
                                  std::shared_ptr<RepeatingTimer> timer) {
    // An invalidated timer leaves the queue when it reaches the front; one far off would stay
    // until then, so a timer made again and again could pile up. A sweep each time the queue
    // has doubled bounds that, at a cost linear in what was pushed.
    if (scheduled_.size() >= sweepAt_) {
        scheduled_.removeIf([](const Scheduled& s) { return s.timer && !s.timer->isValid(); });
        sweepAt_ = std::max(smallestSweep, 2 * scheduled_.size());
    }
    scheduled_.push(due, {std::move(task), std::move(timer)});
}

void BasicRunLoop::dropInvalidatedTimersLocked() {
    while (!scheduled_.empty() && scheduled_.next().timer && !scheduled_.next().timer->isValid()) {
        scheduled_.pop();
    }
}

std::uint64_t BasicRunLoop::queueWork() {
    std::lock_guard lock(mutex_);
    return scheduled_.work();
}

void BasicRunLoop::post(Task task) {
    postAfter(Duration::zero(), std::move(task));
}

void BasicRunLoop::postAfter(Duration delay, Task task) {
    {
        std::lock_guard lock(mutex_);
        scheduleLocked(clock_.now() + clamped(delay), std::move(task), nullptr);
    }
    wake();
}

std::shared_ptr<Timer> BasicRunLoop::scheduleRepeatingTimer(Duration interval, Task task) {
    auto timer = std::make_shared<RepeatingTimer>(interval, std::move(task));
    {
        std::lock_guard lock(mutex_);
        scheduleLocked(clock_.now() + timer->interval, {}, timer);
    }
    wake();
    return timer;
}

void BasicRunLoop::addSource(const std::shared_ptr<RunLoopSource>& source) {
    if (!source) {
        return;
    }
    std::lock_guard lock(mutex_);
    for (const AttachedSource& attached : sources_) {
        if (attached.source == source) {
            return;
        }
    }
    sources_.push_back({source, source->addWaker([this] { wake(); })});
}

void BasicRunLoop::removeSource(const std::shared_ptr<RunLoopSource>& source) {
    std::lock_guard lock(mutex_);
    std::erase_if(sources_, [&](const AttachedSource& attached) {
        if (attached.source != source) {
            return false;
        }
        attached.source->removeWaker(attached.wakerKey);
        return true;
    });
}

bool BasicRunLoop::performOneStep() {
    const MonotonicTime now = clock_.now();
    Task task;
    std::vector<std::shared_ptr<RunLoopSource>> sources;
    {
        std::lock_guard lock(mutex_);
        dropInvalidatedTimersLocked();
        if (!scheduled_.empty() && scheduled_.nextDue() <= now) {
            const MonotonicTime due = scheduled_.nextDue();
            Scheduled next = scheduled_.pop();
            if (next.timer) {
                MonotonicTime following = due + next.timer->interval;
                // A late timer skips the firings it missed, as NSTimer does.
                if (following <= now) {
                    following = now + next.timer->interval;
                }
                scheduleLocked(following, {}, next.timer);
                task = [timer = std::move(next.timer)] {
                    if (timer->isValid()) {
                        timer->task();
                    }
                };
            } else {
                task = std::move(next.task);
            }
        } else {
            for (const AttachedSource& attached : sources_) {
                sources.push_back(attached.source);
            }
        }
    }
    if (task) {
        task();
        return true;
    }
    bool performed = false;
    for (const auto& source : sources) {
        for (RunLoopSource::Work& work : source->takeDue(now)) {
            work();
            performed = true;
        }
    }
    return performed;
}

std::optional<MonotonicTime> BasicRunLoop::nextDueLocked() {
    std::optional<MonotonicTime> next;
    const auto consider = [&](MonotonicTime due) { next = next ? std::min(*next, due) : due; };
    dropInvalidatedTimersLocked();
    if (!scheduled_.empty()) {
        consider(scheduled_.nextDue());
    }
    for (const AttachedSource& attached : sources_) {
        if (auto due = attached.source->nextDue()) {
            consider(*due);
        }
    }
    return next;
}

std::optional<MonotonicTime> BasicRunLoop::nextDueTime() {
    std::lock_guard lock(mutex_);
    return nextDueLocked();
}

void BasicRunLoop::runFor(Duration duration) {
    const MonotonicTime deadline = clock_.now() + clamped(duration);
    while (true) {
        if (performOneStep()) {
            continue;
        }
        if (clock_.now() >= deadline) {
            return;
        }
        std::unique_lock lock(mutex_);
        waitUntil(lock, std::min(deadline, nextDueLocked().value_or(deadline)));
    }
}

} // namespace platform
