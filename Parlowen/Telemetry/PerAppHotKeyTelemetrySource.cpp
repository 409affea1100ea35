#include "Parlowen/Telemetry/PerAppHotKeyTelemetrySource.h"

namespace Parlowen {

std::string surface(PerAppHotKeyTelemetrySource source) {
    switch (source) {
    case PerAppHotKeyTelemetrySource::quickOpenRow:
        return "quickOpenRow";
    case PerAppHotKeyTelemetrySource::runtimeHotKey:
        return "runtime";
    case PerAppHotKeyTelemetrySource::managerAdd:
    case PerAppHotKeyTelemetrySource::managerChange:
    case PerAppHotKeyTelemetrySource::managerSingleRemove:
    case PerAppHotKeyTelemetrySource::managerRemoveNotSeen:
        break;
    }
    return "manager";
}

} // namespace Parlowen
