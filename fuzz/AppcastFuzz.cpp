// Feeds arbitrary bytes to the appcast parser and picks the update the way a cycle does: a
// hostile feed may be refused, never crash or hang the updater.
#include "update/AppcastParser.h"
#include "update/UpdateCycle.h"
#include "update/VersionComparator.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto result = update::AppcastParser::parse(text);
    if (const auto* items = std::get_if<std::vector<update::SUAppcastItem>>(&result)) {
        (void)update::UpdateCycle::bestUpdate(*items, "1.0");
        for (const auto& item : *items) {
            (void)update::VersionComparator::compare(item.versionString, item.displayVersionString);
        }
    }
    return 0;
}
