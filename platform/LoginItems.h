#pragma once

#include <optional>
#include <string>

namespace platform {

// The main application's login item state, with SMAppServiceStatus's values.
enum SMAppServiceStatus : int {
    SMAppServiceStatusNotRegistered = 0,
    SMAppServiceStatusEnabled = 1,
    SMAppServiceStatusRequiresApproval = 2,
    SMAppServiceStatusNotFound = 3,
};

// Why a login item change failed: an errno-style code and a text for the user.
struct LoginItemError {
    int code = 0;
    std::string description;

    friend bool operator==(const LoginItemError&, const LoginItemError&) = default;
};

// The main application as a login item (SMAppService mainAppService).
class LoginItems {
public:
    LoginItems() = default;
    LoginItems(const LoginItems&) = delete;
    LoginItems& operator=(const LoginItems&) = delete;
    virtual ~LoginItems() = default;

    // The current state (status).
    virtual SMAppServiceStatus status() = 0;
    // Starts the application at login (registerAndReturnError:); the error, none on success.
    virtual std::optional<LoginItemError> registerAndReturnError() = 0;
    // Stops starting it at login (unregisterAndReturnError:); the error, none on success.
    virtual std::optional<LoginItemError> unregisterAndReturnError() = 0;
};

} // namespace platform
