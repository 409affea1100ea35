#include "core/CommandLineArguments.h"

#include <algorithm>

namespace QelCore::CommandLineArguments {

std::optional<std::string> valueAfter(const std::vector<std::string>& arguments,
                                      std::string_view flag) {
    const auto found = std::find(arguments.begin(), arguments.end(), flag);
    if (found == arguments.end() || std::next(found) == arguments.end()) {
        return std::nullopt;
    }
    return *std::next(found);
}

} // namespace QelCore::CommandLineArguments
