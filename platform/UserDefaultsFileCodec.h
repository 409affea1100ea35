#pragma once

#include "platform/UserDefaults.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// What a user-defaults file holds: the values of the types the store knows, and every other
// member (a list, null, an object of an unknown form, written by another version or by hand)
// as its JSON text, so that it is written back byte for byte.
struct UserDefaultsFileContents {
    DefaultsDictionary values;
    std::map<std::string, std::string, std::less<>> otherMembers;

    // The value under `key` when it is of a known type; none otherwise.
    std::optional<DefaultsValue> value(std::string_view key) const;
    // Leaves `value` under `key` (none removes it), in place of any member of another type.
    void put(std::string_view key, std::optional<DefaultsValue> value);

    friend bool operator==(const UserDefaultsFileContents&,
                           const UserDefaultsFileContents&) = default;
};

// The text of a user-defaults file: one JSON object, a member per key. Booleans, integers,
// finite doubles and strings are plain JSON values; data is {"data": "<base64>"} and a
// non-finite double {"double": "nan" | "inf" | "-inf"}, so every type reads back as written.
namespace UserDefaultsFileCodec {

std::string encode(const UserDefaultsFileContents& contents);
// Decodes member by member: a member of another type goes to `otherMembers`. None only when
// the text is not a JSON object at all; the caller then keeps the file aside.
std::optional<UserDefaultsFileContents> decode(std::string_view text);

} // namespace UserDefaultsFileCodec

} // namespace platform
