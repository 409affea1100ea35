#pragma once

#include "platform/Clock.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// The levels of the unified log, with its values.
enum OSLogType : std::uint8_t {
    OS_LOG_TYPE_DEFAULT = 0x00,
    OS_LOG_TYPE_INFO = 0x01,
    OS_LOG_TYPE_DEBUG = 0x02,
    OS_LOG_TYPE_ERROR = 0x10,
    OS_LOG_TYPE_FAULT = 0x11,
};

// The level's name as log lines print it: "default", "info", "debug", "error", "fault".
std::string_view logTypeName(OSLogType type);

// One log message. Arguments are already in `message`, printed as given (all public).
struct LogEntry {
    WallTime time;
    std::string subsystem;
    std::string category;
    OSLogType type = OS_LOG_TYPE_DEFAULT;
    std::string message;

    friend bool operator==(const LogEntry&, const LogEntry&) = default;
};

// Where log messages go in place of the unified log: standard error in the program, a record
// in tests. Safe to write from any thread.
class LogSink {
public:
    LogSink() = default;
    LogSink(const LogSink&) = delete;
    LogSink& operator=(const LogSink&) = delete;
    virtual ~LogSink() = default;

    // Writes one message.
    virtual void write(const LogEntry& entry) = 0;
};

} // namespace platform
