#include "platform/InMemoryNotificationBus.h"

namespace platform {

void InMemoryNotificationBus::join(
    const std::shared_ptr<DistributedNotificationObservers>& observers) {
    std::lock_guard lock(mutex_);
    std::erase_if(members_, [](const auto& member) { return member.expired(); });
    members_.push_back(observers);
}

void InMemoryNotificationBus::send(const std::string& bytes, const std::string& origin) {
    std::vector<std::shared_ptr<DistributedNotificationObservers>> receivers;
    {
        std::lock_guard lock(mutex_);
        for (const auto& member : members_) {
            if (auto receiver = member.lock()) {
                receivers.push_back(std::move(receiver));
            }
        }
    }
    for (const auto& receiver : receivers) {
        receiver->receive(bytes, origin);
    }
}

} // namespace platform
