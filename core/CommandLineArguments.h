#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace QelCore::CommandLineArguments {

// The argument after the first occurrence of `flag`, or none when the flag is absent or last.
std::optional<std::string> valueAfter(const std::vector<std::string>& arguments,
                                      std::string_view flag);

} // namespace QelCore::CommandLineArguments
