#include "platform/InMemoryDistributedNotificationCenter.h"

#include "platform/DistributedNotificationCodec.h"

namespace platform {

InMemoryDistributedNotificationCenter::InMemoryDistributedNotificationCenter(
    InMemoryNotificationBus& bus, RunLoop& mainLoop, LogSink& log, pid_t processIdentifier)
    : bus_(bus), processIdentifier_(processIdentifier),
      observers_(std::make_shared<DistributedNotificationObservers>(mainLoop, log)) {
    bus_.join(observers_);
}

ObserverToken InMemoryDistributedNotificationCenter::addObserver(std::string name,
                                                                 std::optional<std::string> object,
                                                                 Handler handler) {
    return observers_->add(std::move(name), std::move(object), std::move(handler));
}

void InMemoryDistributedNotificationCenter::removeObserver(ObserverToken observer) {
    observers_->remove(observer);
}

bool InMemoryDistributedNotificationCenter::postNotification(
    const DistributedNotification& notification, bool) {
    std::optional<std::string> bytes =
        DistributedNotificationCodec::encode(notification, processIdentifier_);
    if (!bytes) {
        return false;
    }
    bus_.send(*bytes, "process " + std::to_string(processIdentifier_));
    return true;
}

} // namespace platform
