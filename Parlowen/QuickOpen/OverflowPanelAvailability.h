#pragma once

namespace Parlowen {

// Whether the panel can list items: `available` once the process is trusted for Accessibility.
enum class OverflowPanelAvailability { needsAccessibility, available };

} // namespace Parlowen
