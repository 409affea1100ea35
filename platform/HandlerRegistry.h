#pragma once

#include "platform/ObserverToken.h"
#include "platform/RunLoop.h"

#include <map>
#include <memory>
#include <mutex>

namespace platform {

// The registered observers, monitors or handlers of one service, each under a token. Deliveries
// are queued on a run loop and run only if the entry is still registered when their turn
// comes, so removing an entry also cancels what was queued for it. Safe to use from any thread;
// queued deliveries may outlive the registry and then do nothing.
template <typename Entry> class HandlerRegistry {
public:
    HandlerRegistry() = default;
    HandlerRegistry(const HandlerRegistry&) = delete;
    HandlerRegistry& operator=(const HandlerRegistry&) = delete;
    ~HandlerRegistry() { clear(); }

    ObserverToken add(Entry entry) {
        std::lock_guard lock(state_->mutex);
        const ObserverToken token = state_->nextToken++;
        state_->entries.emplace(token, std::make_shared<const Entry>(std::move(entry)));
        return token;
    }

    // False when the token names no entry.
    bool remove(ObserverToken token) {
        std::lock_guard lock(state_->mutex);
        return state_->entries.erase(token) == 1;
    }

    void clear() {
        std::lock_guard lock(state_->mutex);
        state_->entries.clear();
    }

    std::size_t size() const {
        std::lock_guard lock(state_->mutex);
        return state_->entries.size();
    }

    // Queues `deliver(entry)` on the loop for every entry that `matches(entry)`.
    template <typename Matches, typename Deliver>
    void post(RunLoop& loop, Matches matches, Deliver deliver) const {
        std::lock_guard lock(state_->mutex);
        for (const auto& [token, entry] : state_->entries) {
            if (!matches(*entry)) {
                continue;
            }
            loop.post([weak = std::weak_ptr<State>(state_), token = token, deliver] {
                std::shared_ptr<const Entry> current;
                if (auto state = weak.lock()) {
                    std::lock_guard lock(state->mutex);
                    auto found = state->entries.find(token);
                    if (found != state->entries.end()) {
                        current = found->second;
                    }
                }
                if (current) {
                    deliver(*current);
                }
            });
        }
    }

private:
    struct State {
        mutable std::mutex mutex;
        ObserverToken nextToken = 1;
        std::map<ObserverToken, std::shared_ptr<const Entry>> entries;
    };

    std::shared_ptr<State> state_ = std::make_shared<State>();
};

} // namespace platform
