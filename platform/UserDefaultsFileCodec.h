#pragma once

#include "platform/UserDefaults.h"

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The text of a user-defaults file: one JSON object, a member per key. Booleans, integers,
// finite doubles and strings are plain JSON values; data is {"data": "<base64>"} and a
// non-finite double {"double": "nan" | "inf" | "-inf"}, so every type reads back as written.
namespace UserDefaultsFileCodec {

std::string encode(const DefaultsDictionary& values);
// None when the text is not such an object or any member does not decode: the caller then
// keeps the file aside instead of dropping the members it cannot read.
std::optional<DefaultsDictionary> decode(std::string_view text);

} // namespace UserDefaultsFileCodec

} // namespace platform
