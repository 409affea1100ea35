#pragma once

#include "update/EdSignatureVerifier.h"
#include "update/ReleaseNotes.h"

#include <functional>

namespace update {

// The steps of an update cycle that nothing cuts short once begun: reading the release notes
// and checking the archive's signature. Each runs on a thread of its own (AbandonableWork), which
// an ended cycle leaves behind instead of waiting for; tests hand in steps that they hold.
struct UnstoppableSteps {
    using ReadReleaseNotes = std::function<ReleaseNotes(std::string_view downloaded)>;
    using VerifySignature = std::function<std::optional<UpdateError>(
        std::string_view publicKeyBase64, const std::optional<std::string>& signatureBase64,
        std::string_view archive)>;

    ReadReleaseNotes readReleaseNotes = ReleaseNotes::read;
    VerifySignature verifySignature = EdSignatureVerifier::verify;
};

} // namespace update
