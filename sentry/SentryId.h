#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sentry {

// The identifier of one event: 16 random bytes, written as 32 lower-case hex digits.
struct SentryId {
    std::array<std::uint8_t, 16> bytes{};

    friend bool operator==(const SentryId&, const SentryId&) = default;

    // A fresh random identifier (never the empty one).
    static SentryId random();
    // All zeros: the answer when nothing was captured.
    static SentryId empty() { return {}; }

    std::string sentryIdString() const;
    // 32 hex digits (either case), as `sentryIdString` writes them; none for anything else.
    static std::optional<SentryId> fromString(std::string_view text);
};

} // namespace sentry
