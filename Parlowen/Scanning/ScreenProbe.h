#pragma once

#include "runtime/RuntimeScreenProbe.h"

// The displays as screen snapshots, and their diagnostic text: the runtime library's probe.
namespace Parlowen::ScreenProbe {

using QelRuntime::RuntimeScreenProbe::captureScreens;
using QelRuntime::RuntimeScreenProbe::describe;

} // namespace Parlowen::ScreenProbe
