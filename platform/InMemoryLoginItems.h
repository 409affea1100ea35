#pragma once

#include "platform/LoginItems.h"

#include <deque>
#include <mutex>

namespace platform {

// The login item in memory, for tests and the simulated desktop: register and unregister change
// the status unless a failure was scripted for them.
class InMemoryLoginItems final : public LoginItems {
public:
    SMAppServiceStatus status() override;
    std::optional<LoginItemError> registerAndReturnError() override;
    std::optional<LoginItemError> unregisterAndReturnError() override;

    // Sets the status as the system would (for example requires approval).
    void setStatus(SMAppServiceStatus status);
    // The next register or unregister answers this error and changes nothing.
    void failNext(LoginItemError error);

private:
    std::optional<LoginItemError> takeFailure();

    std::mutex mutex_;
    SMAppServiceStatus status_ = SMAppServiceStatusNotRegistered;
    std::deque<LoginItemError> failures_;
};

} // namespace platform
