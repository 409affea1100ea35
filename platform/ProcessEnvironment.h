#pragma once

#include <functional>
#include <map>
#include <string>

namespace platform {

// The process environment (ProcessInfo environment) as a map, for the functions that take one;
// tests pass their own.
using ProcessEnvironment = std::map<std::string, std::string, std::less<>>;

// This process's environment as it stands now.
ProcessEnvironment currentProcessEnvironment();

} // namespace platform
