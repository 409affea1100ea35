// Feeds arbitrary bytes to the user-defaults file decoder. A text that decodes must encode to a
// text that decodes to the same contents again, every member it could not read written back
// as it stood.
#include "platform/UserDefaultsFileCodec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace Codec = platform::UserDefaultsFileCodec;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto contents = Codec::decode(text);
    if (!contents) {
        return 0;
    }
    const std::string encoded = Codec::encode(*contents);
    const auto again = Codec::decode(encoded);
    // NaN never equals itself, so the texts are compared rather than the values.
    if (!again || Codec::encode(*again) != encoded ||
        again->otherMembers != contents->otherMembers) {
        std::abort();
    }
    for (const auto& [key, member] : contents->otherMembers) {
        if (encoded.find(member) == std::string::npos) {
            std::abort();
        }
    }
    return 0;
}
