#include "platform/Logger.h"

namespace platform {

std::string_view logTypeName(OSLogType type) {
    switch (type) {
    case OS_LOG_TYPE_INFO:
        return "info";
    case OS_LOG_TYPE_DEBUG:
        return "debug";
    case OS_LOG_TYPE_ERROR:
        return "error";
    case OS_LOG_TYPE_FAULT:
        return "fault";
    case OS_LOG_TYPE_DEFAULT:
        break;
    }
    return "default";
}

Logger::Logger(LogSink& sink, const Clock& clock, std::string subsystem, std::string category)
    : sink_(&sink), clock_(&clock), subsystem_(std::move(subsystem)),
      category_(std::move(category)) {}

void Logger::log(OSLogType type, std::string_view message) const {
    sink_->write({clock_->wallNow(), subsystem_, category_, type, std::string(message)});
}

} // namespace platform
