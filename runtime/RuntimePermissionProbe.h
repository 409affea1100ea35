#pragma once

#include "platform/Accessibility.h"

// Whether this process may use Accessibility.
namespace QelRuntime::RuntimePermissionProbe {

// With `prompt` and the process not trusted, the system shows its permission prompt and the
// answer is false; without `prompt` nothing is shown.
bool isTrusted(platform::Accessibility& accessibility, bool prompt);

} // namespace QelRuntime::RuntimePermissionProbe
