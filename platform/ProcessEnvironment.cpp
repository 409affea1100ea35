#include "platform/ProcessEnvironment.h"

#include <unistd.h>

namespace platform {

ProcessEnvironment currentProcessEnvironment() {
    ProcessEnvironment environment;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const std::string text(*entry);
        const std::size_t equals = text.find('=');
        if (equals != std::string::npos && equals > 0) {
            // The first of duplicate names wins, as getenv answers.
            environment.emplace(text.substr(0, equals), text.substr(equals + 1));
        }
    }
    return environment;
}

} // namespace platform
