#include "update/EdSignatureVerifier.h"

#include <sodium.h>

#include <algorithm>
#include <array>
#include <string>

namespace update::EdSignatureVerifier {
namespace {

// Decodes standard base64 (surrounding blanks ignored) into exactly `Size` bytes.
template <std::size_t Size>
std::optional<std::array<unsigned char, Size>> decodeExactly(std::string_view base64) {
    if (sodium_init() < 0) {
        return std::nullopt;
    }
    // One spare byte, so that a longer value does not fit and is refused.
    std::array<unsigned char, Size + 1> bytes{};
    std::size_t length = 0;
    const char* end = nullptr;
    const std::string text(base64);
    if (sodium_base642bin(bytes.data(), bytes.size(), text.data(), text.size(), " \t\r\n", &length,
                          &end, sodium_base64_VARIANT_ORIGINAL) != 0 ||
        end != text.data() + text.size() || length != Size) {
        return std::nullopt;
    }
    std::array<unsigned char, Size> exact{};
    std::copy_n(bytes.begin(), Size, exact.begin());
    return exact;
}

UpdateError signatureError(std::string text) {
    return {UpdateErrorCode::signature, std::move(text)};
}

} // namespace

bool isUsablePublicKey(std::string_view publicKeyBase64) {
    return decodeExactly<crypto_sign_PUBLICKEYBYTES>(publicKeyBase64).has_value();
}

std::optional<UpdateError> verify(std::string_view publicKeyBase64,
                                  const std::optional<std::string>& signatureBase64,
                                  std::string_view archive) {
    const auto key = decodeExactly<crypto_sign_PUBLICKEYBYTES>(publicKeyBase64);
    if (!key) {
        return signatureError("The update cannot be checked: the application's update key is "
                              "not a valid Ed25519 public key.");
    }
    if (!signatureBase64) {
        return signatureError("The update is not signed, so it was not installed.");
    }
    const auto signature = decodeExactly<crypto_sign_BYTES>(*signatureBase64);
    if (!signature) {
        return signatureError("The update's signature is malformed, so it was not installed.");
    }
    if (crypto_sign_verify_detached(signature->data(),
                                    reinterpret_cast<const unsigned char*>(archive.data()),
                                    archive.size(), key->data()) != 0) {
        return signatureError(
            "The update's signature does not match the archive, so it was not installed.");
    }
    return std::nullopt;
}

} // namespace update::EdSignatureVerifier
