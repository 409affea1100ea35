#include "platform/NotificationCenter.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace platform {

struct NotificationCenter::Observer {
    std::string name;
    Block block;
    // Held while the block runs; recursive so that a block may unregister itself.
    std::recursive_mutex delivery;
    bool active = true;
};

struct NotificationCenter::State {
    std::mutex mutex;
    std::vector<std::shared_ptr<Observer>> observers;
};

NotificationCenter::ObservationToken::ObservationToken(std::weak_ptr<State> state,
                                                       std::shared_ptr<Observer> observer)
    : state(std::move(state)), observer(std::move(observer)) {}

NotificationCenter::ObservationToken&
NotificationCenter::ObservationToken::operator=(ObservationToken&& other) noexcept {
    if (this != &other) {
        reset();
        state = std::move(other.state);
        observer = std::move(other.observer);
    }
    return *this;
}

void NotificationCenter::ObservationToken::reset() {
    if (!observer) {
        return;
    }
    if (const auto shared = state.lock()) {
        const std::lock_guard lock(shared->mutex);
        std::erase(shared->observers, observer);
    }
    {
        // Waits for a delivery in progress on another thread.
        const std::lock_guard lock(observer->delivery);
        observer->active = false;
    }
    observer.reset();
    state.reset();
}

NotificationCenter::NotificationCenter() : state(std::make_shared<State>()) {}

NotificationCenter::~NotificationCenter() = default;

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

NotificationCenter::ObservationToken NotificationCenter::addObserver(std::string name,
                                                                     Block block) {
    auto observer = std::make_shared<Observer>();
    observer->name = std::move(name);
    observer->block = std::move(block);
    const std::lock_guard lock(state->mutex);
    state->observers.push_back(observer);
    return ObservationToken(state, std::move(observer));
}

void NotificationCenter::post(std::string name, std::any object) {
    std::vector<std::shared_ptr<Observer>> receivers;
    {
        const std::lock_guard lock(state->mutex);
        std::copy_if(state->observers.begin(), state->observers.end(),
                     std::back_inserter(receivers),
                     [&](const auto& observer) { return observer->name == name; });
    }
    const Notification notification{std::move(name), std::move(object)};
    for (const auto& observer : receivers) {
        const std::lock_guard lock(observer->delivery);
        if (observer->active && observer->block) {
            observer->block(notification);
        }
    }
}

} // namespace platform
