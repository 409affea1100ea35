#pragma once

#include "platform/DistributedNotificationObservers.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

// Stands in for the processes of one user in tests: every centre joined to the bus receives
// every message posted on it, its own included. Safe to use from any thread.
class InMemoryNotificationBus {
public:
    // Joins a centre's observers; they leave when destroyed.
    void join(const std::shared_ptr<DistributedNotificationObservers>& observers);
    // Hands the message's bytes to every joined centre; `origin` names the sender in log lines.
    void send(const std::string& bytes, const std::string& origin);

private:
    std::mutex mutex_;
    std::vector<std::weak_ptr<DistributedNotificationObservers>> members_;
};

} // namespace platform
