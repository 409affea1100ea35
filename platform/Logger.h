#pragma once

#include "platform/LogSink.h"

namespace platform {

// A logger of one subsystem and category (os Logger(subsystem:category:)) writing to a sink,
// stamped with the clock's wall time. Cheap to copy; the sink and the clock outlive it.
class Logger {
public:
    Logger(LogSink& sink, const Clock& clock, std::string subsystem, std::string category);

    void log(OSLogType type, std::string_view message) const;
    void debug(std::string_view message) const { log(OS_LOG_TYPE_DEBUG, message); }
    void info(std::string_view message) const { log(OS_LOG_TYPE_INFO, message); }
    void notice(std::string_view message) const { log(OS_LOG_TYPE_DEFAULT, message); }
    void error(std::string_view message) const { log(OS_LOG_TYPE_ERROR, message); }
    void fault(std::string_view message) const { log(OS_LOG_TYPE_FAULT, message); }

private:
    LogSink* sink_;
    const Clock* clock_;
    std::string subsystem_;
    std::string category_;
};

} // namespace platform
