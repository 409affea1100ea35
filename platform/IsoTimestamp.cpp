#include "platform/IsoTimestamp.h"

#include <ctime>

namespace platform {

std::string isoTimestamp(WallTime time) {
    const auto seconds = std::chrono::floor<std::chrono::seconds>(time);
    const std::time_t epochSeconds = static_cast<std::time_t>(seconds.time_since_epoch().count());
    std::tm parts{};
    if (gmtime_r(&epochSeconds, &parts) == nullptr) {
        return {};
    }
    char text[64];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return std::string(text, length);
}

} // namespace platform
