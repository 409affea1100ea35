#pragma once

#include "platform/DistributedNotificationCenter.h"
#include "platform/HandlerRegistry.h"
#include "platform/RateLimitedLog.h"
#include "platform/RunLoop.h"

#include <string_view>

namespace platform {

// The observers of one process's distributed notification centre: received messages are
// decoded, matched by name and object and handed to the main loop; a message that does not
// decode is dropped with a log line. Any process of the user may send messages, so the lines
// about dropped ones are rate-limited: at most `droppedLinesPerMinute` a minute, the next one
// after a pause counting those left out. Safe to use from any thread.
class DistributedNotificationObservers {
public:
    static constexpr int droppedLinesPerMinute = 10;

    DistributedNotificationObservers(RunLoop& mainLoop, LogSink& log);

    ObserverToken add(std::string name, std::optional<std::string> object,
                      DistributedNotificationCenter::Handler handler);
    void remove(ObserverToken token);
    // Takes one received message; `origin` names where it came from in log lines.
    void receive(std::string_view bytes, std::string_view origin);
    // Logs that a received message was dropped, through the rate limit; for the centre's own
    // reasons to drop one (a sender of another user, a message too large).
    void reportDropped(std::string_view line);

private:
    struct Observer {
        std::string name;
        std::optional<std::string> object;
        DistributedNotificationCenter::Handler handler;
    };

    RunLoop& mainLoop_;
    RateLimitedLog droppedLog_;
    HandlerRegistry<Observer> observers_;
};

} // namespace platform
