#pragma once

namespace TestSupport {

// How many times slower the sanitizer builds run; time budgets measured on the plain build are
// stretched by it, so that a budget still catches a slow path without failing on instrumentation.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr int sanitizerSlowdown = 5;
#else
inline constexpr int sanitizerSlowdown = 1;
#endif

} // namespace TestSupport
