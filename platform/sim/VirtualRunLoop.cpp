#include "platform/sim/VirtualRunLoop.h"

#include <deque>

namespace platform::sim {

namespace {
// A serial queue whose tasks run on a virtual loop one at a time, even when a task runs the
// loop again inside itself.
class LoopSerialQueue : public SerialQueue {
public:
    LoopSerialQueue(RunLoop& loop, std::string label)
        : loop_(loop), label_(std::move(label)), state_(std::make_shared<State>()) {}
    ~LoopSerialQueue() override {
        std::lock_guard lock(state_->mutex);
        state_->tasks.clear();
    }

    const std::string& label() const override { return label_; }

    void async(std::function<void()> task) override {
        {
            std::lock_guard lock(state_->mutex);
            state_->tasks.push_back(std::move(task));
        }
        schedule(state_, loop_);
    }

private:
    struct State {
        std::mutex mutex;
        std::deque<std::function<void()>> tasks;
        bool running = false;
    };

    static void schedule(const std::shared_ptr<State>& state, RunLoop& loop) {
        loop.post([weak = std::weak_ptr<State>(state), &loop] {
            std::shared_ptr<State> state = weak.lock();
            if (!state) {
                return;
            }
            std::function<void()> task;
            {
                std::lock_guard lock(state->mutex);
                if (state->running || state->tasks.empty()) {
                    return;
                }
                state->running = true;
                task = std::move(state->tasks.front());
                state->tasks.pop_front();
            }
            task();
            bool more = false;
            {
                std::lock_guard lock(state->mutex);
                state->running = false;
                more = !state->tasks.empty();
            }
            if (more) {
                schedule(state, loop);
            }
        });
    }

    RunLoop& loop_;
    const std::string label_;
    std::shared_ptr<State> state_;
};
} // namespace

std::unique_ptr<SerialQueue> VirtualRunLoop::makeSerialQueue(std::string label) {
    return std::make_unique<LoopSerialQueue>(*this, std::move(label));
}

void VirtualRunLoop::waitUntil(std::unique_lock<std::mutex>&, MonotonicTime until) {
    clock_.advanceTo(until);
}

} // namespace platform::sim
