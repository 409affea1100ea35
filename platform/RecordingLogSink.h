#pragma once

#include "platform/LogSink.h"

#include <mutex>
#include <vector>

namespace platform {

// Keeps every message in memory, for tests to read back.
class RecordingLogSink final : public LogSink {
public:
    void write(const LogEntry& entry) override;

    // The messages written so far, in order.
    std::vector<LogEntry> entries() const;
    // Whether some message contains the text.
    bool contains(std::string_view text) const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::vector<LogEntry> entries_;
};

} // namespace platform
