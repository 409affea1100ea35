#include "Parlowen/Items/UUID.h"

#include <random>

namespace Parlowen {

UUID UUID::random() {
    // Record ids only tell records of one run apart, so a per-thread generator seeded once from
    // the system's entropy is enough; a system call per record made large scans slow.
    thread_local std::mt19937_64 generator{[] {
        std::random_device device;
        std::seed_seq seed{device(), device(), device(), device(), device(), device()};
        return std::mt19937_64(seed);
    }()};
    UUID result;
    for (std::size_t offset = 0; offset < result.bytes.size(); offset += 8) {
        std::uint64_t word = generator();
        for (std::size_t i = 0; i < 8; ++i, word >>= 8) {
            result.bytes[offset + i] = static_cast<std::uint8_t>(word & 0xff);
        }
    }
    result.bytes[6] = static_cast<std::uint8_t>((result.bytes[6] & 0x0f) | 0x40); // version 4
    result.bytes[8] =
        static_cast<std::uint8_t>((result.bytes[8] & 0x3f) | 0x80); // RFC 4122 variant
    return result;
}

std::string UUID::uuidString() const {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(36);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) {
            text += '-';
        }
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0f];
    }
    return text;
}

} // namespace Parlowen
