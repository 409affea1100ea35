// Feeds arbitrary bytes to the scan fixture decoder: it must answer a fixture or an error.
#include "core/MenuBarScanFixture.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view json(reinterpret_cast<const char*>(data), size);
    const auto result = QelCore::MenuBarScanFixture::decode(json);
    if (const auto* fixture = std::get_if<QelCore::MenuBarScanFixture>(&result)) {
        for (const auto& item : fixture->items) {
            // The snapshot always carries the item's own title.
            if (item.snapshot.title != item.title) {
                std::abort();
            }
        }
    }
    return 0;
}
