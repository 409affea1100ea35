// Feeds arbitrary bytes to the appcast parser and picks the update the way a cycle does, and
// reads them as release notes: a hostile feed or notes may be refused, never crash or hang the
// updater, and the notes never grow beyond their size.
#include "update/AppcastParser.h"
#include "update/ReleaseNotes.h"
#include "update/UpdateCycle.h"
#include "update/VersionComparator.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
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
    if (update::ReleaseNotes::read(text).html().size() > update::ReleaseNotes::maxHtmlBytes + 64) {
        std::abort();
    }
    return 0;
}
