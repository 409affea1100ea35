#include "app/LaunchDiagnostics.h"

#include "Parlowen/Settings/DiagnosticsAppender.h"
#include "platform/IsoTimestamp.h"

#include <string>

namespace Parlowen::LaunchDiagnostics {

std::string line(std::string_view event, platform::WallTime time) {
    return platform::isoTimestamp(time) + " event=" + std::string(event);
}

void write(std::string_view event, platform::WallTime time) {
    DiagnosticsAppender::append(DiagnosticsAppender::path(fileName), line(event, time));
}

} // namespace Parlowen::LaunchDiagnostics
