#include "platform/StandardErrorLogSink.h"

#include "platform/FileReplacement.h"
#include "platform/IsoTimestamp.h"

#include <unistd.h>

#include <cstdio>

namespace platform {

namespace {
void appendEscaped(std::string& line, std::string_view text) {
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n') {
            line += "\\n";
        } else if (c == '\r') {
            line += "\\r";
        } else if (c == '\t') {
            line += "\\t";
        } else if (c == '\\') {
            line += "\\\\";
        } else if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            line += escaped;
        } else {
            line += c;
        }
    }
}
} // namespace

std::string StandardErrorLogSink::line(const LogEntry& entry) {
    std::string line = isoTimestamp(entry.time);
    line += ' ';
    appendEscaped(line, entry.subsystem);
    line += '[';
    appendEscaped(line, entry.category);
    line += "] ";
    line += logTypeName(entry.type);
    line += ": ";
    appendEscaped(line, entry.message);
    line += '\n';
    return line;
}

void StandardErrorLogSink::write(const LogEntry& entry) {
    // One write per line keeps lines of several threads whole; a failed write has nowhere to go.
    FileReplacement::writeAll(STDERR_FILENO, line(entry));
}

} // namespace platform
