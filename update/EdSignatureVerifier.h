#pragma once

#include "update/UpdateError.h"

#include <optional>
#include <string_view>

namespace update {

// Checks an archive against the host's Ed25519 public key before anything is extracted.
namespace EdSignatureVerifier {

// Whether `publicKeyBase64` decodes to exactly one 32-byte Ed25519 key.
bool isUsablePublicKey(std::string_view publicKeyBase64);

// None when `signatureBase64` is a valid signature of all of `archive` under the key; else a
// `signature` error (missing signature, a key or signature of the wrong size, a mismatch).
std::optional<UpdateError> verify(std::string_view publicKeyBase64,
                                  const std::optional<std::string>& signatureBase64,
                                  std::string_view archive);

} // namespace EdSignatureVerifier

} // namespace update
