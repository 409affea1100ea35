#include "platform/RecordingLogSink.h"

#include <algorithm>

namespace platform {

void RecordingLogSink::write(const LogEntry& entry) {
    std::lock_guard lock(mutex_);
    entries_.push_back(entry);
}

std::vector<LogEntry> RecordingLogSink::entries() const {
    std::lock_guard lock(mutex_);
    return entries_;
}

bool RecordingLogSink::contains(std::string_view text) const {
    std::lock_guard lock(mutex_);
    return std::any_of(entries_.begin(), entries_.end(), [text](const LogEntry& entry) {
        return entry.message.find(text) != std::string::npos;
    });
}

void RecordingLogSink::clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
}

} // namespace platform
