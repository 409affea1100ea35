#include "core/NumberText.h"

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

} // namespace QelCore
