#pragma once

#include "platform/LogSink.h"

namespace platform {

// Writes each message as one line to standard error:
// "2025-01-31T09:05:00Z app.tessaline.Tessaline[Diagnostics] info: message". Control characters
// in the message are escaped, so a message can never forge or split lines.
class StandardErrorLogSink final : public LogSink {
public:
    void write(const LogEntry& entry) override;

    // The line written for the entry, with its line feed.
    static std::string line(const LogEntry& entry);
};

} // namespace platform
