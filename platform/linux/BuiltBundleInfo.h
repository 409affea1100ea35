#pragma once

#include "platform/InMemoryBundleInfo.h"

#include <memory>

namespace platform::native {

// The program's bundle as the build describes it: identifier "app.tessaline.Tessaline", the
// program's folder as its path, the project version as "CFBundleShortVersionString", the build
// number as "CFBundleVersion", and "SUPublicEDKey" and "SentryDSN" when the build sets them.
std::unique_ptr<InMemoryBundleInfo> builtBundleInfo();

} // namespace platform::native
