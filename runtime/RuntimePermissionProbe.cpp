#include "runtime/RuntimePermissionProbe.h"

namespace QelRuntime::RuntimePermissionProbe {

bool isTrusted(platform::Accessibility& accessibility, bool prompt) {
    return accessibility.isProcessTrusted(prompt);
}

} // namespace QelRuntime::RuntimePermissionProbe
