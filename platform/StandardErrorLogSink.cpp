#include "platform/StandardErrorLogSink.h"

#include "platform/IsoTimestamp.h"

#include <unistd.h>

namespace platform {

void StandardErrorLogSink::write(const LogEntry& entry) {
    const std::string line = isoTimestamp(entry.time) + " " + entry.subsystem + "[" +
                             entry.category + "] " + std::string(logTypeName(entry.type)) + ": " +
                             entry.message + "\n";
    // One write per line, so lines of several threads do not interleave.
    [[maybe_unused]] const auto written = ::write(STDERR_FILENO, line.data(), line.size());
}

} // namespace platform
