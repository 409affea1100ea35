#pragma once

#include "platform/ObserverToken.h"
#include "platform/Value.h"

#include <functional>
#include <optional>
#include <string>

namespace platform {

// One notification between processes of this user. `userInfo` is small and plain: Booleans,
// numbers, strings, and lists and dictionaries of them.
struct DistributedNotification {
    std::string name;
    std::optional<std::string> object;
    Value::Dictionary userInfo;

    friend bool operator==(const DistributedNotification&,
                           const DistributedNotification&) = default;
};

// NSDistributedNotificationCenter defaultCenter: notifications posted by any process of this
// user, this one included, reach every observer whose name and object filters match, as tasks
// on the main run loop.
class DistributedNotificationCenter {
public:
    using Handler = std::function<void(const DistributedNotification& notification)>;

    DistributedNotificationCenter() = default;
    DistributedNotificationCenter(const DistributedNotificationCenter&) = delete;
    DistributedNotificationCenter& operator=(const DistributedNotificationCenter&) = delete;
    virtual ~DistributedNotificationCenter() = default;

    // Observes the notifications of that name (addObserver:selector:name:object:); an object
    // filter of none matches every object. 0 when observing is not possible.
    virtual ObserverToken addObserver(std::string name, std::optional<std::string> object,
                                      Handler handler) = 0;
    // Stops an observer; a delivery already queued for it does not run.
    virtual void removeObserver(ObserverToken observer) = 0;
    // Posts a notification (postNotificationName:object:userInfo:deliverImmediately:); false
    // when it could not be sent at all (too large, user info not plain, no bus).
    virtual bool postNotification(const DistributedNotification& notification,
                                  bool deliverImmediately) = 0;
};

} // namespace platform
