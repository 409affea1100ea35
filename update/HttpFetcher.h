#pragma once

#include "update/UpdateError.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <variant>

namespace update {

// One HTTP(S) GET into memory, capped in size, for feeds, release notes and archives.
struct HttpFetchRequest {
    std::string url;
    // More bytes than this fail the fetch, whatever the server announces.
    std::uint64_t maxBytes = 0;
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
// why: no connection, an HTTP error status, more data than allowed, or cancelled
// (`installationCanceled`).
std::variant<std::string, UpdateError> fetch(const HttpFetchRequest& request);

} // namespace HttpFetcher

} // namespace update
