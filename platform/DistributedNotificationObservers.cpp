#include "platform/DistributedNotificationObservers.h"

#include "platform/DistributedNotificationCodec.h"
#include "platform/Logger.h"

#include <map>
#include <mutex>
#include <variant>

namespace platform {

namespace {
struct Observer {
    std::string name;
    std::optional<std::string> object;
    std::shared_ptr<DistributedNotificationCenter::Handler> handler;
};
} // namespace

struct DistributedNotificationObservers::State {
    State(RunLoop& loop, LogSink& sink)
        : mainLoop(loop), logger(sink, loop.clock(), "app.tessaline.Tessaline", "Notifications") {}

    RunLoop& mainLoop;
    Logger logger;
    std::mutex mutex;
    ObserverToken nextToken = 1;
    std::map<ObserverToken, Observer> observers;
};

DistributedNotificationObservers::DistributedNotificationObservers(RunLoop& mainLoop, LogSink& log)
    : state_(std::make_shared<State>(mainLoop, log)) {}

DistributedNotificationObservers::~DistributedNotificationObservers() {
    // Deliveries already queued find no observer any more.
    std::lock_guard lock(state_->mutex);
    state_->observers.clear();
}

ObserverToken
DistributedNotificationObservers::add(std::string name, std::optional<std::string> object,
                                      DistributedNotificationCenter::Handler handler) {
    std::lock_guard lock(state_->mutex);
    const ObserverToken token = state_->nextToken++;
    state_->observers.emplace(
        token,
        Observer{std::move(name), std::move(object),
                 std::make_shared<DistributedNotificationCenter::Handler>(std::move(handler))});
    return token;
}

void DistributedNotificationObservers::remove(ObserverToken token) {
    std::lock_guard lock(state_->mutex);
    state_->observers.erase(token);
}

void DistributedNotificationObservers::receive(std::string_view bytes, std::string_view origin) {
    auto decoded = DistributedNotificationCodec::decode(bytes);
    if (const std::string* reason = std::get_if<std::string>(&decoded)) {
        state_->logger.error("dropped a distributed notification from " + std::string(origin) +
                             ": " + *reason);
        return;
    }
    const DistributedNotification notification =
        std::get<DistributedNotificationCodec::Message>(std::move(decoded)).notification;
    std::lock_guard lock(state_->mutex);
    for (const auto& [token, observer] : state_->observers) {
        if (observer.name != notification.name ||
            (observer.object && observer.object != notification.object)) {
            continue;
        }
        std::weak_ptr<State> weak = state_;
        state_->mainLoop.post([weak, token = token, notification] {
            std::shared_ptr<DistributedNotificationCenter::Handler> handler;
            if (auto state = weak.lock()) {
                std::lock_guard lock(state->mutex);
                auto found = state->observers.find(token);
                if (found != state->observers.end()) {
                    handler = found->second.handler;
                }
            }
            if (handler) {
                (*handler)(notification);
            }
        });
    }
}

} // namespace platform
