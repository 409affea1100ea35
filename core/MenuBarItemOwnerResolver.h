#pragma once

#include "core/FixtureMenuBarItemSourceHint.h"
#include "core/MenuBarItemOwnerResolution.h"
#include "core/MenuBarItemRunningAppInfo.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Re-attributes a menu extra owned by a helper process (a bundle identifier with a "helper"
// component, such as vendor.product.helper.agent) to its running parent application.
namespace QelCore::MenuBarItemOwnerResolver {

// Starts the note left on a re-attributed item; the helper's bundle identifier follows.
inline constexpr std::string_view ownerCanonicalizedNotePrefix = "ownerCanonicalizedFrom=";

// The parent's name and identifier, the title named again against the parent, and one note,
// when the item is a menu extra of a helper whose parent runs under a non-blank name (the first
// such in `runningApps`); otherwise the inputs unchanged with no notes.
MenuBarItemOwnerResolution resolve(std::string appName, std::optional<std::string> bundleIdentifier,
                                   std::string title, FixtureMenuBarItemSourceHint sourceHint,
                                   const std::vector<MenuBarItemRunningAppInfo>& runningApps);

// Whether notes say that the item's owner was re-attributed from a helper.
bool isOwnerCanonicalizedFromHelper(const std::vector<std::string>& notes);

} // namespace QelCore::MenuBarItemOwnerResolver
