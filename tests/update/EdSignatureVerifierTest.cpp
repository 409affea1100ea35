#include "update/EdSignatureVerifier.h"

#include "tests/update/UpdateTestSupport.h"

#include <gtest/gtest.h>

namespace {

using update::EdSignatureVerifier::isUsablePublicKey;
using update::EdSignatureVerifier::verify;

TEST(EdSignatureVerifier, AcceptsOnlyKeysOfExactly32Bytes) {
    const auto key = UpdateTestSupport::KeyPair::generate();
    const std::string bytes31(31, 'k');
    const std::string bytes33(33, 'k');
    const auto encode = [](const std::string& raw) {
        return UpdateTestSupport::base64(reinterpret_cast<const unsigned char*>(raw.data()),
                                         raw.size());
    };
    EXPECT_TRUE(isUsablePublicKey(key.publicKeyBase64()));
    EXPECT_TRUE(isUsablePublicKey(" " + key.publicKeyBase64() + "\n"));
    EXPECT_FALSE(isUsablePublicKey(encode(bytes31)));
    EXPECT_FALSE(isUsablePublicKey(encode(bytes33)));
    EXPECT_FALSE(isUsablePublicKey(""));
    EXPECT_FALSE(isUsablePublicKey("not base64 at all!"));
    EXPECT_FALSE(isUsablePublicKey(key.publicKeyBase64() + "AAAA"));
}

TEST(EdSignatureVerifier, ChecksTheWholeArchive) {
    const auto key = UpdateTestSupport::KeyPair::generate();
    const std::string archive = "archive bytes";
    const auto signature = key.sign(archive);
    EXPECT_EQ(verify(key.publicKeyBase64(), signature, archive), std::nullopt);

    const std::optional<std::string> none;
    for (const auto& [name, publicKey, signed_, data] :
         std::vector<std::tuple<const char*, std::string, std::optional<std::string>, std::string>>{
             {"appended byte", key.publicKeyBase64(), signature, archive + "x"},
             {"truncated", key.publicKeyBase64(), signature, archive.substr(1)},
             {"no signature", key.publicKeyBase64(), none, archive},
             {"short signature", key.publicKeyBase64(), std::string("QUJD"), archive},
             {"short key", "QUJD", signature, archive},
         }) {
        const auto error = verify(publicKey, signed_, data);
        ASSERT_TRUE(error.has_value()) << name;
        EXPECT_EQ(error->code, update::UpdateErrorCode::signature) << name;
    }
}

} // namespace
