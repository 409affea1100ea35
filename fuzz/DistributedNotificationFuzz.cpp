// Feeds arbitrary datagrams to the distributed notification decoder, as another process of the
// user could send them. What decodes must encode again and decode to the same message.
#include "platform/DistributedNotificationCodec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <variant>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace Codec = platform::DistributedNotificationCodec;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto decoded = Codec::decode(bytes);
    const auto* message = std::get_if<Codec::Message>(&decoded);
    if (message == nullptr) {
        return 0;
    }
    // Re-encoding may exceed the size limit (escaped text grows), but never changes the message.
    if (const auto again = Codec::encode(message->notification, message->sender)) {
        const auto redecoded = Codec::decode(*again);
        const auto* same = std::get_if<Codec::Message>(&redecoded);
        if (same == nullptr || same->sender != message->sender ||
            !(same->notification == message->notification)) {
            std::abort();
        }
    }
    return 0;
}
