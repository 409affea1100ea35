#pragma once

#include "runtime/RuntimeMenuBarScanner.h"
#include "tests/support/SampleDesktops.h"
#include "tests/support/VirtualDesktop.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

namespace RuntimeTestSupport {

using SampleDesktops::sampleDesktop;
using SampleDesktops::statusItem;

// A desktop on a virtual clock and loop, used through the runtime library alone.
struct Desktop : TestSupport::VirtualDesktop {
    explicit Desktop(const nlohmann::json& description = sampleDesktop())
        : TestSupport::VirtualDesktop(description.dump()) {}

    QelRuntime::RuntimeScanSnapshot scan() {
        return QelRuntime::RuntimeMenuBarScanner::scan(services());
    }

    // The desktop's status item behind a record, or "menu" for an application menu.
    std::string itemId(const QelRuntime::RuntimeAXMenuBarItemRecord& record) const {
        for (const auto& item : desktop.initialDescription().statusItems) {
            if (desktop.statusItemElement(item.id) == record.element) {
                return item.id;
            }
        }
        return "menu";
    }

    // The status item's record in a fresh scan.
    std::optional<QelRuntime::RuntimeAXMenuBarItemRecord> record(const std::string& id) {
        for (auto& record : scan().items) {
            if (itemId(record) == id) {
                return record;
            }
        }
        return std::nullopt;
    }
};

} // namespace RuntimeTestSupport
