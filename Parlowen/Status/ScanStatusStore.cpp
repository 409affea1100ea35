#include "Parlowen/Status/ScanStatusStore.h"

namespace Parlowen {

ScanStatusStore::ScanStatusStore(platform::NotificationCenter& center) : center_(center) {}

ScanStatusStore& ScanStatusStore::shared() {
    static ScanStatusStore store(platform::NotificationCenter::defaultCenter());
    return store;
}

void ScanStatusStore::update(const ScanSnapshot& snapshot, bool isAccessibilityTrusted) {
    current_ = TessalineScanStatus::make(snapshot, isAccessibilityTrusted);
    center_.post(tessalineScanStatusDidChange, *current_);
}

void ScanStatusStore::recordActionFeedback(const QuickOpenActionFeedback& feedback,
                                           platform::WallTime at) {
    lastActionFeedback_ = feedback;
    lastActionFeedbackRecordedAt_ = at;
    center_.post(tessalineActionFeedbackDidChange, feedback);
}

void ScanStatusStore::clearActionFeedback() {
    lastActionFeedback_.reset();
    lastActionFeedbackRecordedAt_.reset();
    center_.post(tessalineActionFeedbackDidChange);
}

} // namespace Parlowen
