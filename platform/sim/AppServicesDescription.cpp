#include "platform/sim/AppServicesDescription.h"

#include "platform/sim/JsonFieldReader.h"

namespace platform::sim {

namespace {
// No menu bar holds more status items than this.
constexpr std::int64_t largestPosition = 10000;

HeldHotKeyDescription readHeldHotKey(const JsonFieldReader& reader) {
    return {reader.pid("pid"), static_cast<std::uint32_t>(reader.integer("keyCode", 0, 0xFFFF)),
            static_cast<std::uint32_t>(reader.integer("modifiers", 0, 0xFFFF))};
}
} // namespace

AppServicesDescription readAppServices(const JsonFieldReader& root) {
    AppServicesDescription services;
    if (root.has("ownStatusItem")) {
        services.ownStatusItemPosition = static_cast<std::size_t>(
            root.object("ownStatusItem").integer("position", 0, largestPosition));
    }
    services.heldHotKeys =
        root.objects<HeldHotKeyDescription>("heldHotKeys", readHeldHotKey, false);
    services.reduceMotion = root.booleanOr("reduceMotion", false);
    for (const auto& [pid, path] : root.objects<std::pair<pid_t, std::string>>(
             "appIcons",
             [](const JsonFieldReader& icon) {
                 return std::pair(icon.pid("pid"), icon.string("path"));
             },
             false)) {
        services.appIcons[pid] = path;
    }
    return services;
}

} // namespace platform::sim
