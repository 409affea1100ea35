#pragma once

#include "update/UpdateError.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
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

// One HTTP(S) GET, capped in size and time: feeds and release notes into memory, archives into
// a file.
struct HttpFetchRequest {
    std::string url;
    // More bytes than this fail the fetch with `tooLargeMessage`, whatever the server announces
    // (or when it announces no length at all).
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
    // Set from another thread to stop the transfer: it stops within a tenth of a second, even
    // while the server sends nothing.
    const std::atomic<bool>* cancelled = nullptr;
};

namespace HttpFetcher {

// The body of a 2xx answer (redirects followed, http and https only), or an error that says
// why: no connection, an HTTP error status, more data than allowed, a server too slow to send
// it all before the deadline, or cancelled (`installationCanceled`).
std::variant<std::string, UpdateError> fetch(const HttpFetchRequest& request);
// The same, written to the open file `descriptor` as it arrives, so memory stays small whatever
// the size; a failed write (a full disk) is an error naming `folder`, where the file is, and
// the reason.
std::optional<UpdateError> fetchToFile(const HttpFetchRequest& request, int descriptor,
                                       const std::filesystem::path& folder);

} // namespace HttpFetcher

} // namespace update
