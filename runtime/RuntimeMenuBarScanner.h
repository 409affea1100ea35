#pragma once

#include "platform/PlatformServices.h"
#include "runtime/RuntimeScanSnapshot.h"

// The library's scanner. It takes no settings: the screens are always read afresh and a menu
// extra always takes the frame of its status window from the window list when it has one.
namespace QelRuntime::RuntimeMenuBarScanner {

// One full scan of the displays and menu bars of `services`. Never fails; without Accessibility
// trust it answers the screens and no items. Reads the displays, so call it on the main thread.
RuntimeScanSnapshot scan(const platform::PlatformServices& services);

} // namespace QelRuntime::RuntimeMenuBarScanner
