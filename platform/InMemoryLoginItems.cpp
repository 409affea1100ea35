#include "platform/InMemoryLoginItems.h"

namespace platform {

SMAppServiceStatus InMemoryLoginItems::status() {
    std::lock_guard lock(mutex_);
    return status_;
}

std::optional<LoginItemError> InMemoryLoginItems::registerAndReturnError() {
    std::lock_guard lock(mutex_);
    if (auto failure = takeFailure()) {
        return failure;
    }
    status_ = SMAppServiceStatusEnabled;
    return std::nullopt;
}

std::optional<LoginItemError> InMemoryLoginItems::unregisterAndReturnError() {
    std::lock_guard lock(mutex_);
    if (auto failure = takeFailure()) {
        return failure;
    }
    status_ = SMAppServiceStatusNotRegistered;
    return std::nullopt;
}

void InMemoryLoginItems::setStatus(SMAppServiceStatus status) {
    std::lock_guard lock(mutex_);
    status_ = status;
}

void InMemoryLoginItems::failNext(LoginItemError error) {
    std::lock_guard lock(mutex_);
    failures_.push_back(std::move(error));
}

std::optional<LoginItemError> InMemoryLoginItems::takeFailure() {
    if (failures_.empty()) {
        return std::nullopt;
    }
    LoginItemError error = std::move(failures_.front());
    failures_.pop_front();
    return error;
}

} // namespace platform
