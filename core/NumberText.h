#pragma once

#include <string>

namespace QelCore {

// The value truncated toward zero and printed in full ("-1439", "0" for -0.5), with no integer
// conversion, so huge values print whole and non-finite ones as "nan", "inf" or "-inf".
std::string truncatedDecimal(double value);

} // namespace QelCore
