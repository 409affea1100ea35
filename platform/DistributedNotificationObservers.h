#pragma once

#include "platform/DistributedNotificationCenter.h"
#include "platform/LogSink.h"
#include "platform/RunLoop.h"

#include <memory>
#include <string_view>

namespace platform {

// The observers of one process's distributed notification centre: received messages are
// decoded, matched by name and object and handed to the main loop; a message that does not
// decode is dropped with a log line. Safe to use from any thread.
class DistributedNotificationObservers {
public:
    DistributedNotificationObservers(RunLoop& mainLoop, LogSink& log);
    ~DistributedNotificationObservers();
    DistributedNotificationObservers(const DistributedNotificationObservers&) = delete;
    DistributedNotificationObservers& operator=(const DistributedNotificationObservers&) = delete;

    ObserverToken add(std::string name, std::optional<std::string> object,
                      DistributedNotificationCenter::Handler handler);
    void remove(ObserverToken token);
    // Takes one received message; `origin` names where it came from in log lines.
    void receive(std::string_view bytes, std::string_view origin);

private:
    struct State;
    std::shared_ptr<State> state_;
};

} // namespace platform
