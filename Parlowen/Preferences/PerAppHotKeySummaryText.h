#pragma once

#include <cstddef>
#include <string>

// The counts of stored per-app shortcuts as the Quick Access pane and the management window's
// pill show them.
namespace Parlowen::PerAppHotKeySummaryText {

// The Quick Access pane's status line. `staleCount` is checked before the singular form, so a
// single stale binding reads "1 shortcuts · 1 unavailable".
std::string paneSummary(std::size_t bindingCount, std::size_t staleCount);

// The management window's pill: "No shortcuts configured", "%d available" or
// "%d available · %d unavailable".
std::string managementSummary(std::size_t availableCount, std::size_t staleCount);

} // namespace Parlowen::PerAppHotKeySummaryText
