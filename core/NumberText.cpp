#include "core/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace QelCore {

std::string truncatedDecimal(double value) {
    if (std::isnan(value)) {
        return "nan";
    }
    // Adding zero turns the -0 of a small negative value into 0.
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.0f", std::trunc(value) + 0.0);
    return buffer;
}

std::optional<double> parsedDecimal(std::string_view text) {
    // from_chars takes no plus sign, which people write in environment variables.
    if (text.size() > 1 && text.front() == '+' && text[1] != '-' && text[1] != '+') {
        text.remove_prefix(1);
    }
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

} // namespace QelCore
