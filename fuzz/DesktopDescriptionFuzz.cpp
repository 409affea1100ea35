// Feeds arbitrary bytes to the desktop-description reader: it must answer a description or an
// error naming a field, and a desktop built from any description it accepts must lay out and
// list its windows.
#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/VirtualRunLoop.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace platform::sim;
    const std::string_view json(reinterpret_cast<const char*>(data), size);
    auto result = parseDesktopDescription(json);
    if (const auto* error = std::get_if<DescriptionError>(&result)) {
        if (error->message.empty()) {
            std::abort();
        }
        return 0;
    }
    VirtualClock clock;
    VirtualRunLoop loop(clock);
    SimulatedDesktop desktop(std::get<DesktopDescription>(std::move(result)), loop);
    const platform::Value windows = desktop.windowServer().copyWindowInfo(
        platform::kCGWindowListOptionAll, platform::kCGNullWindowID);
    if (windows.list() == nullptr) {
        std::abort();
    }
    return 0;
}
