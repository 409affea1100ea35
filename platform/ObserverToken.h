#pragma once

#include <cstdint>

namespace platform {

// Names one registered notification observer, for removing it again; 0 names none.
using ObserverToken = std::uint64_t;

} // namespace platform
