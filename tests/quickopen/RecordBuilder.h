#pragma once

#include "Parlowen/Items/AXMenuBarItemRecord.h"

#include <optional>
#include <string>

namespace QuickOpenTesting {

using QelCore::FixtureMenuBarItemSourceHint;
using QelCore::VisibilityClassification;

// A status-item record of the app `appName` with the title `title`; the bundle id, when given,
// separates otherwise equal items.
inline Parlowen::AXMenuBarItemRecord
record(std::string appName, std::string title = "",
       VisibilityClassification classification = VisibilityClassification::visible,
       std::optional<platform::CGRect> frame = std::nullopt,
       std::optional<std::string> bundleIdentifier = std::nullopt) {
    Parlowen::AXMenuBarItemRecord item;
    item.appName = std::move(appName);
    item.title = std::move(title);
    item.bundleIdentifier = std::move(bundleIdentifier);
    item.role = "AXMenuBarItem";
    item.subrole = "AXMenuExtra";
    item.sourceHint = FixtureMenuBarItemSourceHint::menuExtra;
    item.classification = classification;
    item.frame = frame;
    item.isStatusCandidate = true;
    return item;
}

// A frame 20 points wide whose horizontal centre is `centre`.
inline platform::CGRect frameCentredAt(double centre) {
    return {centre - 10, 0, 20, 24};
}

} // namespace QuickOpenTesting
