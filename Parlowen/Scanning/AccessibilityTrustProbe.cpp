#include "Parlowen/Scanning/AccessibilityTrustProbe.h"

#include "runtime/RuntimePermissionProbe.h"

namespace Parlowen {

AccessibilityTrustProbe AccessibilityTrustProbe::live(platform::Accessibility& accessibility) {
    return {[&accessibility](bool prompt) {
        return QelRuntime::RuntimePermissionProbe::isTrusted(accessibility, prompt);
    }};
}

} // namespace Parlowen
