#pragma once

#include "update/EdSignatureVerifier.h"
#include "update/ReleaseNotes.h"

#include <atomic>
#include <functional>

namespace update {

// The two long steps of an update cycle: reading the release notes, which stops at its next
// slice once the cycle is cancelled, and checking the archive's signature, one libsodium call
// that nothing cuts short and that a cancelled cycle leaves behind on a thread of its own
// (AbandonableWork). Tests hand in steps that they hold.
struct LongSteps {
    using ReadReleaseNotes = std::function<ReleaseNotes(std::string_view downloaded,
                                                        const std::atomic<bool>& cancelled)>;
    using VerifySignature = std::function<std::optional<UpdateError>(
        std::string_view publicKeyBase64, const std::optional<std::string>& signatureBase64,
        std::string_view archive)>;

    ReadReleaseNotes readReleaseNotes = ReleaseNotes::read;
    VerifySignature verifySignature = EdSignatureVerifier::verify;
};

} // namespace update
