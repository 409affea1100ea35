#pragma once

#include "update/HttpFetcher.h"
#include "update/LongSteps.h"
#include "update/SUAppcastItem.h"
#include "update/UpdateError.h"
#include "update/UpdateInstaller.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace update {

// The worker's part of downloading an update: the archive into the staging folder as it
// arrives, its signature checked over all of it, then extracted and its version checked. Runs
// on the updater's worker; a cancellation stops it at the next chunk, block or entry, and during
// the signature check within 20 ms, leaving the check to end alone on its own thread.
namespace UpdateDownload {

// Archives larger than this are refused (when the feed announces no length, too).
inline constexpr std::uint64_t maxArchiveBytes = std::uint64_t{1} << 30;

struct Request {
    SUAppcastItem item;
    std::string publicEDKey;
    std::string hostVersion;
    UpdateInstaller installer;
    TransferDeadline transferDeadline;
    // Set from another thread to stop; never null.
    std::shared_ptr<const std::atomic<bool>> cancelled;
    LongSteps::VerifySignature verifySignature = EdSignatureVerifier::verify;
};

// What the download reports as it goes, each called on the worker; any may be empty.
struct Reports {
    std::function<void(std::uint64_t length)> expectedLength;
    // The size of each chunk received.
    std::function<void(std::uint64_t length)> received;
    std::function<void()> downloaded;
    std::function<void()> extractionStarted;
    // The share of the archive extracted so far.
    std::function<void(double fraction)> extracted;
};

// How it ended.
struct Outcome {
    enum class Kind { extracted, downloadFailed, cancelled, aborted } kind = Kind::extracted;
    std::optional<UpdateError> error;
};

// Nothing of a failed, refused or cancelled download stays in the staging folder.
Outcome run(const Request& request, const Reports& reports);

} // namespace UpdateDownload

} // namespace update
