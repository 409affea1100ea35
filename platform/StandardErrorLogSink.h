#pragma once

#include "platform/LogSink.h"

namespace platform {

// Writes each message as one line to standard error:
// "<ISO time> <subsystem>[<category>] <level>: <message>".
class StandardErrorLogSink final : public LogSink {
public:
    void write(const LogEntry& entry) override;
};

} // namespace platform
