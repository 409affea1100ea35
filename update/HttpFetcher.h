#pragma once

#include "update/UpdateError.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <variant>

namespace update {

// How long a transfer of an expected size may take in all: the size at a minimum average
// rate, never less than the floor nor more than the ceiling. A server that trickles data holds
// the updater no longer than that.
struct TransferDeadline {
    double minimumBytesPerSecond = 32 * 1024;
    std::chrono::milliseconds floor = std::chrono::minutes(2);
    std::chrono::milliseconds ceiling = std::chrono::hours(1);

    std::chrono::milliseconds forSize(std::uint64_t bytes) const;
};

// One HTTP(S) GET into memory, capped in size and time, for feeds, release notes and archives.
struct HttpFetchRequest {
    std::string url;
    // More bytes than this fail the fetch with `tooLargeMessage`, whatever the server announces.
    std::uint64_t maxBytes = 0;
    std::string tooLargeMessage;
    // The whole transfer must end within this.
    std::chrono::milliseconds deadline = std::chrono::minutes(2);
    // The code of the error a failure reports.
    UpdateErrorCode errorCode = UpdateErrorCode::download;
    // Called once with the length the server announces, when it announces one.
    std::function<void(std::uint64_t length)> onExpectedLength;
    // Called with the size of every chunk received.
    std::function<void(std::uint64_t length)> onData;
    // Set from another thread to stop the transfer.
    const std::atomic<bool>* cancelled = nullptr;
};

namespace HttpFetcher {

// The body of a 2xx answer (redirects followed, http and https only), or an error that says
// why: no connection, an HTTP error status, more data than allowed, a server too slow to send
// it all before the deadline, or cancelled (`installationCanceled`).
std::variant<std::string, UpdateError> fetch(const HttpFetchRequest& request);

} // namespace HttpFetcher

} // namespace update
