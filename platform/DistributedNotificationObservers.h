#pragma once

#include "platform/DistributedNotificationCenter.h"
#include "platform/HandlerRegistry.h"
#include "platform/Logger.h"
#include "platform/RunLoop.h"

#include <string_view>

namespace platform {

// The observers of one process's distributed notification centre: received messages are
// decoded, matched by name and object and handed to the main loop; a message that does not
// decode is dropped with a log line. Safe to use from any thread.
class DistributedNotificationObservers {
public:
    DistributedNotificationObservers(RunLoop& mainLoop, LogSink& log);

    ObserverToken add(std::string name, std::optional<std::string> object,
                      DistributedNotificationCenter::Handler handler);
    void remove(ObserverToken token);
    // Takes one received message; `origin` names where it came from in log lines.
    void receive(std::string_view bytes, std::string_view origin);

private:
    struct Observer {
        std::string name;
        std::optional<std::string> object;
        DistributedNotificationCenter::Handler handler;
    };

    RunLoop& mainLoop_;
    const Logger logger_;
    HandlerRegistry<Observer> observers_;
};

} // namespace platform
