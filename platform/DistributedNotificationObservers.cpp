#include "platform/DistributedNotificationObservers.h"

#include "platform/DistributedNotificationCodec.h"

#include <variant>

namespace platform {

DistributedNotificationObservers::DistributedNotificationObservers(RunLoop& mainLoop, LogSink& log)
    : mainLoop_(mainLoop),
      droppedLog_(Logger(log, mainLoop.clock(), "app.tessaline.Tessaline", "Notifications"),
                  mainLoop.clock(), droppedLinesPerMinute, std::chrono::minutes(1)) {}

ObserverToken
DistributedNotificationObservers::add(std::string name, std::optional<std::string> object,
                                      DistributedNotificationCenter::Handler handler) {
    return observers_.add({std::move(name), std::move(object), std::move(handler)});
}

void DistributedNotificationObservers::remove(ObserverToken token) {
    observers_.remove(token);
}

void DistributedNotificationObservers::reportDropped(std::string_view line) {
    droppedLog_.error(line);
}

void DistributedNotificationObservers::receive(std::string_view bytes, std::string_view origin) {
    auto decoded = DistributedNotificationCodec::decode(bytes);
    if (const std::string* reason = std::get_if<std::string>(&decoded)) {
        reportDropped("dropped a distributed notification from " + std::string(origin) + ": " +
                      *reason);
        return;
    }
    const DistributedNotification notification =
        std::get<DistributedNotificationCodec::Message>(std::move(decoded)).notification;
    observers_.post(
        mainLoop_,
        [&](const Observer& observer) {
            return observer.name == notification.name &&
                   (!observer.object || observer.object == notification.object);
        },
        [notification](const Observer& observer) { observer.handler(notification); });
}

} // namespace platform
