#pragma once

#include "platform/DistributedNotificationCenter.h"
#include "platform/InMemoryNotificationBus.h"

#include <sys/types.h>

namespace platform {

// A distributed notification centre of one simulated process on an in-memory bus. Messages take
// the same wire form as between real processes, so the same limits apply.
class InMemoryDistributedNotificationCenter final : public DistributedNotificationCenter {
public:
    InMemoryDistributedNotificationCenter(InMemoryNotificationBus& bus, RunLoop& mainLoop,
                                          LogSink& log, pid_t processIdentifier);

    ObserverToken addObserver(std::string name, std::optional<std::string> object,
                              Handler handler) override;
    void removeObserver(ObserverToken observer) override;
    bool postNotification(const DistributedNotification& notification,
                          bool deliverImmediately) override;

private:
    InMemoryNotificationBus& bus_;
    const pid_t processIdentifier_;
    std::shared_ptr<DistributedNotificationObservers> observers_;
};

} // namespace platform
