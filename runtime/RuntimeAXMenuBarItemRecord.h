#pragma once

#include "core/FixtureMenuBarItemSourceHint.h"
#include "core/VisibilityClassification.h"
#include "platform/AXUIElement.h"
#include "platform/Geometry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace QelRuntime {

// One menu-bar element as the library's scanner found it. It carries no identifier of its own:
// records are told apart across scans by their identity key (RuntimeItemIdentity). The element
// is a value handle, so every copy can act on it.
struct RuntimeAXMenuBarItemRecord {
    // Every property is given; the bundle identifier comes last and is kept as given (nil stays
    // nil, nothing is looked up).
    RuntimeAXMenuBarItemRecord(
        std::string appName, std::int32_t pid, std::string title, std::string role,
        std::string subrole, std::optional<platform::CGPoint> position,
        std::optional<platform::CGSize> size, std::optional<platform::CGRect> frame,
        std::vector<std::string> actions, QelCore::FixtureMenuBarItemSourceHint sourceHint,
        QelCore::VisibilityClassification classification, bool isStatusCandidate,
        std::optional<std::string> screenID, platform::AXUIElement element,
        std::vector<std::string> notes, std::optional<std::string> bundleIdentifier)
        : appName(std::move(appName)), bundleIdentifier(std::move(bundleIdentifier)), pid(pid),
          title(std::move(title)), role(std::move(role)), subrole(std::move(subrole)),
          position(position), size(size), frame(frame), actions(std::move(actions)),
          sourceHint(sourceHint), classification(classification),
          isStatusCandidate(isStatusCandidate), screenID(std::move(screenID)),
          element(std::move(element)), notes(std::move(notes)) {}

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
    QelCore::FixtureMenuBarItemSourceHint sourceHint;
    QelCore::VisibilityClassification classification;
    bool isStatusCandidate = false;
    std::optional<std::string> screenID;
    platform::AXUIElement element;
    // Diagnostic key=value notes; the first is always "source=" and the source hint.
    std::vector<std::string> notes;
};

} // namespace QelRuntime
