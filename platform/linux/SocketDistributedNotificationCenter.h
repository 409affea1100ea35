#pragma once

#include "platform/DistributedNotificationCenter.h"
#include "platform/DistributedNotificationObservers.h"
#include "platform/Logger.h"

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace platform::native {

// Distributed notifications between this user's processes over datagram sockets in the
// per-user folder. The first observer binds this process's socket, read by a thread of its own;
// a post sends the message to every socket there, this process's included. Messages that are
// too large, malformed or sent by another user are dropped with a log line (rate-limited, see
// DistributedNotificationObservers). Without a folder nothing is sent or received.
class SocketDistributedNotificationCenter final : public DistributedNotificationCenter {
public:
    SocketDistributedNotificationCenter(std::optional<std::filesystem::path> folder,
                                        RunLoop& mainLoop, LogSink& log);
    ~SocketDistributedNotificationCenter() override;

    ObserverToken addObserver(std::string name, std::optional<std::string> object,
                              Handler handler) override;
    void removeObserver(ObserverToken observer) override;
    bool postNotification(const DistributedNotification& notification,
                          bool deliverImmediately) override;

    // Whether this process's socket is bound and read.
    bool isListening() const;

private:
    bool startListening();
    void readMessages();

    const std::optional<std::filesystem::path> folder_;
    const Logger logger_;
    std::shared_ptr<DistributedNotificationObservers> observers_;
    mutable std::mutex mutex_;
    int socket_ = -1;
    int wake_ = -1;
    std::filesystem::path socketPath_;
    std::thread reader_;
};

} // namespace platform::native
