#pragma once

#include "Parlowen/Items/UUID.h"
#include "core/FixtureMenuBarItemSourceHint.h"
#include "core/VisibilityClassification.h"
#include "platform/AXUIElement.h"
#include "platform/Geometry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Parlowen {

// One menu-bar element of one scan, as the scanner found it. Records are named across scans by
// their stable identity, never by `id` or as whole values. The element is a value handle, so
// every copy of a record can act on it from any thread.
struct AXMenuBarItemRecord {
    // Fresh for every record of every scan.
    UUID id;
    // The owner's name after a helper's item was re-attributed to its parent application.
    std::string appName;
    std::optional<std::string> bundleIdentifier;
    // The process whose menu bar held the element, even when the owner was re-attributed.
    std::int32_t pid = 0;
    // The display name, not the raw "AXTitle".
    std::string title;
    // "(unknown)" when the element has no role.
    std::string role;
    // "(none)" when the element has no subrole.
    std::string subrole;
    // The raw Accessibility geometry (origin at the top left of the primary display).
    std::optional<platform::CGPoint> position;
    std::optional<platform::CGSize> size;
    // Cocoa screen coordinates, from Accessibility or from the item's status window.
    std::optional<platform::CGRect> frame;
    std::vector<std::string> actions;
    QelCore::FixtureMenuBarItemSourceHint sourceHint =
        QelCore::FixtureMenuBarItemSourceHint::unknown;
    QelCore::VisibilityClassification classification = QelCore::VisibilityClassification::unknown;
    bool isStatusCandidate = false;
    std::optional<std::string> screenID;
    platform::AXUIElement element;
    // Diagnostic key=value notes; the first is always "source=" and the source hint.
    std::vector<std::string> notes;
};

} // namespace Parlowen
