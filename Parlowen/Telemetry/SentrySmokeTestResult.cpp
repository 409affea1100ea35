#include "Parlowen/Telemetry/SentrySmokeTestResult.h"

namespace Parlowen {

std::string SentrySmokeTestResult::json() const {
    // nlohmann's objects keep their keys sorted.
    nlohmann::json object{
        {"status", status},
        {"message", message},
        {"eventID", eventID},
        {"release", release},
        {"environment", environment},
        {"appBundleID", appBundleID},
        {"flushTimeout", flushTimeout},
        {"diagnosticsUserIncluded", diagnosticsUserIncluded},
    };
    if (targetAppBundleID) {
        object["targetAppBundleID"] = *targetAppBundleID;
    }
    return object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

} // namespace Parlowen
