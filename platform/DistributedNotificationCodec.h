#pragma once

#include "platform/DistributedNotificationCenter.h"

#include <sys/types.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

// The wire form of a distributed notification: one JSON object of at most 4 KB,
// {"format": "app.tessaline.distributed-notification", "version": 1, "sender": pid,
//  "name": text, "object": text or null, "userInfo": {...}}.
namespace platform::DistributedNotificationCodec {

inline constexpr std::size_t maximumMessageSize = 4096;
// Nesting deeper than this in the user info is refused rather than followed.
inline constexpr int maximumUserInfoDepth = 8;

struct Message {
    pid_t sender = 0;
    DistributedNotification notification;
};

// The message's bytes; none when the user info is not plain or the message is too large.
std::optional<std::string> encode(const DistributedNotification& notification, pid_t sender);

// The message, or why it was refused (too large, not JSON, not one of ours, a field of the
// wrong type). Never throws, whatever the bytes.
std::variant<Message, std::string> decode(std::string_view bytes);

} // namespace platform::DistributedNotificationCodec
