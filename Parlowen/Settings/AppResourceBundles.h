#pragma once

#include "Parlowen/Settings/ResourceBundle.h"

#include <optional>
#include <vector>

namespace Parlowen {

// The bundles searched for localized texts, in order.
namespace AppResourceBundles {

// Installed (the main bundle "../share/tessaline" beside the executable exists): that bundle
// alone. Otherwise, running from a build tree: the main bundle followed by the application
// target's own resource folder.
std::vector<ResourceBundle> candidates();

// Replaces the list for tests; none restores the list above.
void overrideCandidates(std::optional<std::vector<ResourceBundle>> bundles);

} // namespace AppResourceBundles

} // namespace Parlowen
