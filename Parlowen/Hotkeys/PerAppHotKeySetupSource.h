#pragma once

#include "Parlowen/Telemetry/PerAppHotKeyTelemetrySource.h"

namespace Parlowen {

// Where a per-app shortcut setup was opened: the shortcut list's Add or Change button, or a
// row of the Quick Open panel.
enum class PerAppHotKeySetupSource { managerAdd, managerChange, quickOpenRow };

// The telemetry source of the same name.
constexpr PerAppHotKeyTelemetrySource telemetrySource(PerAppHotKeySetupSource source) {
    switch (source) {
    case PerAppHotKeySetupSource::managerAdd:
        return PerAppHotKeyTelemetrySource::managerAdd;
    case PerAppHotKeySetupSource::managerChange:
        return PerAppHotKeyTelemetrySource::managerChange;
    case PerAppHotKeySetupSource::quickOpenRow:
        break;
    }
    return PerAppHotKeyTelemetrySource::quickOpenRow;
}

} // namespace Parlowen
