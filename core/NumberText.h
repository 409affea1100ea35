#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace QelCore {

// The value truncated toward zero and printed in full ("-1439", "0" for -0.5), with no integer
// conversion, so huge values print whole and non-finite ones as "nan", "inf" or "-inf".
std::string truncatedDecimal(double value);

// The whole text read as a decimal floating-point number in the C locale ("2.5", "-1e3", "+4",
// "inf", "nan"); none when any character is left over, including white space.
std::optional<double> parsedDecimal(std::string_view text);

} // namespace QelCore
