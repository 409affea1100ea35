#pragma once

#include "platform/Accessibility.h"

#include <functional>

namespace Parlowen {

// The Accessibility trust check, held as a closure so that the permission screens can be driven
// by a stand-in. With `prompt` and the process not trusted, the system asks the user to grant
// the permission and the answer is false.
struct AccessibilityTrustProbe {
    std::function<bool(bool prompt)> isTrusted;

    // Asks the given Accessibility service, which must outlive the probe.
    static AccessibilityTrustProbe live(platform::Accessibility& accessibility);
};

} // namespace Parlowen
