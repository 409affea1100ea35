#pragma once

#include <compare>
#include <string_view>

namespace update {

// Orders version texts the way release feeds number their builds.
//
// A version is read as runs: a run of ASCII digits is a number, a run of other characters is
// text; ".", "-", "_", "+" and spaces only separate runs. Runs are compared in order: two
// numbers by value (any length, leading zeros ignored), two texts byte by byte, and a number
// is newer than a text ("1.0.1" > "1.0b1"). When one version runs out first, it is older if
// the other continues with a number ("1.0" < "1.0.1") and newer if the other continues with
// text, which marks a pre-release ("1.0b1" < "1.0"). Equal runs throughout mean equal
// versions, so "1.0" and "1..0" compare equal.
namespace VersionComparator {

std::strong_ordering compare(std::string_view lhs, std::string_view rhs);

} // namespace VersionComparator

} // namespace update
