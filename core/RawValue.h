#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace QelCore {

// An enumeration whose cases are stored as fixed texts. Each such enumeration specializes
// RawValues<E> with a `table` of (case, text) pairs in case order.
template <typename E> struct RawValues;

template <typename E>
concept RawValueEnum = requires {
    RawValues<E>::table;
};

template <RawValueEnum E> std::string toString(E value) {
    for (const auto& [candidate, text] : RawValues<E>::table) {
        if (candidate == value) {
            return std::string(text);
        }
    }
    return {};
}

// The case whose text equals `text` exactly (case-sensitive), or no value.
template <RawValueEnum E> std::optional<E> fromString(std::string_view text) {
    for (const auto& [candidate, raw] : RawValues<E>::table) {
        if (raw == text) {
            return candidate;
        }
    }
    return std::nullopt;
}

} // namespace QelCore
