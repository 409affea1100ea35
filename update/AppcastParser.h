#pragma once

#include "update/SUAppcastItem.h"
#include "update/UpdateError.h"

#include <string_view>
#include <variant>
#include <vector>

namespace update {

// Reads an RSS appcast. Elements and attributes of the update namespace are recognized by the
// namespace they are bound to, whatever their prefix; an undeclared prefix names nothing.
namespace AppcastParser {

// The address the update namespace is bound to.
inline constexpr std::string_view sparkleNamespace =
    "http://www.andymatuschak.org/xml-namespaces/sparkle";

// The items of the feed in document order, or an `appcastParse` error when the text is not
// well-formed XML or has no <rss><channel>. An item without a version is left out; one
// without an enclosure URL is kept without `fileURL` (it announces but cannot be installed).
// Two different signatures on one enclosure count as none.
std::variant<std::vector<SUAppcastItem>, UpdateError> parse(std::string_view xml);

} // namespace AppcastParser

} // namespace update
