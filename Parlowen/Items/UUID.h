#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace Parlowen {

// A universally unique identifier: 16 bytes, random ones of version 4.
struct UUID {
    std::array<std::uint8_t, 16> bytes{};

    // A fresh random (version 4) identifier.
    static UUID random();

    // The canonical text, upper-case hex digits in groups of 8-4-4-4-12.
    std::string uuidString() const;

    friend bool operator==(const UUID&, const UUID&) = default;
};

} // namespace Parlowen
