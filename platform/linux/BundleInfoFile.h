#pragma once

#include "platform/InMemoryBundleInfo.h"

#include <filesystem>
#include <memory>
#include <string_view>

namespace platform::native {

// A bundle's Info values on disk: the build writes the program's own beside it (the same
// values as `builtBundleInfo()`), so an update's folder says which version it holds.
inline constexpr std::string_view bundleInfoFileName = "Info.json";

// The bundle in `folder` as its Info file describes it: "CFBundleIdentifier" as its identifier,
// the folder as its path and every text member as an Info value. None when the file is
// missing, unreadable, larger than 64 KiB or not a JSON object.
std::unique_ptr<InMemoryBundleInfo> bundleInfoAt(const std::filesystem::path& folder);

} // namespace platform::native
