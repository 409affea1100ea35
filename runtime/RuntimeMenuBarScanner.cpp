#include "runtime/RuntimeMenuBarScanner.h"

#include "runtime/MenuBarScanSteps.h"

namespace QelRuntime::RuntimeMenuBarScanner {

RuntimeScanSnapshot scan(const platform::PlatformServices& services) {
    return MenuBarScanSteps::scan(services, std::nullopt, true);
}

} // namespace QelRuntime::RuntimeMenuBarScanner
