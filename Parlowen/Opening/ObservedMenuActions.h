#pragma once

#include "runtime/ObservedMenuActions.h"

// The action runner's live light executors are those of the runtime library.
namespace Parlowen {
namespace ObservedMenuActions = QelRuntime::ObservedMenuActions;
} // namespace Parlowen
