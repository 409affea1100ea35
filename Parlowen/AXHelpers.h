#pragma once

#include "runtime/AXHelpers.h"

// The application reads Accessibility through the runtime library's readers.
namespace Parlowen {
namespace AXHelpers = QelRuntime::AXHelpers;
} // namespace Parlowen
