#pragma once

#include "Parlowen/Items/ScanSnapshot.h"
#include "Parlowen/Opening/QuickOpenActionFeedback.h"
#include "Parlowen/Status/TessalineScanStatus.h"
#include "platform/Clock.h"
#include "platform/NotificationCenter.h"

#include <optional>

namespace Parlowen {

// The status of the last scan and the feedback of the last open request, each change announced
// on the notification centre. Used on the main thread only; observers are called synchronously
// inside the changing call.
class ScanStatusStore {
public:
    // Posted after every update, with the new `TessalineScanStatus` as object.
    static constexpr const char* tessalineScanStatusDidChange = "TessalineScanStatusDidChange";
    // Posted after feedback was recorded (the `QuickOpenActionFeedback` as object) or cleared
    // (no object).
    static constexpr const char* tessalineActionFeedbackDidChange =
        "TessalineActionFeedbackDidChange";

    explicit ScanStatusStore(platform::NotificationCenter& center);
    ScanStatusStore(const ScanStatusStore&) = delete;
    ScanStatusStore& operator=(const ScanStatusStore&) = delete;

    // The process-wide store, posting on the default centre; made on first use.
    static ScanStatusStore& shared();

    const std::optional<TessalineScanStatus>& current() const { return current_; }
    const std::optional<QuickOpenActionFeedback>& lastActionFeedback() const {
        return lastActionFeedback_;
    }
    const std::optional<platform::WallTime>& lastActionFeedbackRecordedAt() const {
        return lastActionFeedbackRecordedAt_;
    }

    // Replaces the status and announces it, also when nothing changed.
    void update(const ScanSnapshot& snapshot, bool isAccessibilityTrusted);
    void recordActionFeedback(const QuickOpenActionFeedback& feedback, platform::WallTime at);
    // Forgets the feedback and announces that, also when none was recorded.
    void clearActionFeedback();

private:
    platform::NotificationCenter& center_;
    std::optional<TessalineScanStatus> current_;
    std::optional<QuickOpenActionFeedback> lastActionFeedback_;
    std::optional<platform::WallTime> lastActionFeedbackRecordedAt_;
};

} // namespace Parlowen
