#include "sentry/SentryId.h"

#include <random>

namespace sentry {

SentryId SentryId::random() {
    // Event ids only need to be unique, so a per-thread generator seeded once from the system's
    // entropy is enough and keeps capturing cheap.
    thread_local std::mt19937_64 generator{[] {
        std::random_device device;
        std::seed_seq seed{device(), device(), device(), device(), device(), device()};
        return std::mt19937_64(seed);
    }()};
    SentryId id;
    do {
        for (std::size_t offset = 0; offset < id.bytes.size(); offset += 8) {
            std::uint64_t word = generator();
            for (std::size_t i = 0; i < 8; ++i, word >>= 8) {
                id.bytes[offset + i] = static_cast<std::uint8_t>(word & 0xff);
            }
        }
    } while (id == empty());
    return id;
}

std::string SentryId::sentryIdString() const {
    static constexpr char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(32);
    for (const auto byte : bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 0x0f];
    }
    return text;
}

std::optional<SentryId> SentryId::fromString(std::string_view text) {
    if (text.size() != 32) {
        return std::nullopt;
    }
    const auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') {
            return c - '0';
        }
        if (c >= 'a' && c <= 'f') {
            return c - 'a' + 10;
        }
        if (c >= 'A' && c <= 'F') {
            return c - 'A' + 10;
        }
        return -1;
    };
    SentryId id;
    for (std::size_t i = 0; i < id.bytes.size(); ++i) {
        const int high = digit(text[2 * i]);
        const int low = digit(text[2 * i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        id.bytes[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return id;
}

} // namespace sentry
