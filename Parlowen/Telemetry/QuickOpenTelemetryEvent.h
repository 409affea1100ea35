#pragma once

#include "Parlowen/Items/AXMenuBarItemRecord.h"
#include "Parlowen/Opening/QuickOpenActionFeedback.h"
#include "Parlowen/Telemetry/DiagnosticTelemetryEvent.h"
#include "Parlowen/Telemetry/QuickOpenTelemetryTrigger.h"
#include "core/ActionAttemptLog.h"
#include "platform/BundleInfo.h"

#include <map>
#include <string>
#include <vector>

namespace Parlowen {

// The "quick_open_attempt" event of one open request: how it ended, which action opened the
// menu, what the attempts were, and how long it took.
struct QuickOpenTelemetryEvent {
    std::string name;
    std::map<std::string, std::string> tags;
    TelemetryExtras extras;

    friend bool operator==(const QuickOpenTelemetryEvent&,
                           const QuickOpenTelemetryEvent&) = default;

    // The same fields in the form the crash reporter sends.
    DiagnosticTelemetryEvent diagnosticEvent() const { return {name, tags, extras}; }

    // `duration` is the time since the request began, in seconds; a value that is negative or
    // not finite reports 0 ms. `appBundleID` is this app's identifier, or "unknown".
    static QuickOpenTelemetryEvent
    make(const AXMenuBarItemRecord& item, const QuickOpenActionFeedback& feedback,
         const std::vector<QelCore::ActionAttemptLog>& attempts,
         QelCore::MenuOpenEvidenceSource evidenceSource, bool accessibilityGranted, double duration,
         QuickOpenTelemetryTrigger trigger, const std::string& appVersion,
         const std::string& appBundleID);

    // The same, with this app's version ("0.0.0" when its bundle has none) and identifier
    // ("unknown" when it has none) read from its bundle.
    static QuickOpenTelemetryEvent
    make(const AXMenuBarItemRecord& item, const QuickOpenActionFeedback& feedback,
         const std::vector<QelCore::ActionAttemptLog>& attempts,
         QelCore::MenuOpenEvidenceSource evidenceSource, bool accessibilityGranted, double duration,
         QuickOpenTelemetryTrigger trigger, const platform::BundleInfo& bundle);

    // The evidence of the first observed opening that has any; `none` when there is none.
    static QelCore::MenuOpenEvidenceSource
    evidenceSource(const std::vector<QelCore::ActionAttemptLog>& attempts);
};

} // namespace Parlowen
