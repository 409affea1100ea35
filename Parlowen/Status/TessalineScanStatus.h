#pragma once

#include "Parlowen/Items/ScanSnapshot.h"
#include "platform/Clock.h"

#include <cstdint>

namespace Parlowen {

// The summary of one scan that other parts of the program want without holding the snapshot.
struct TessalineScanStatus {
    // The hidden items the Quick Open panel lists.
    std::int64_t hiddenCount = 0;
    std::int64_t statusCandidateCount = 0;
    // When the scan started.
    platform::WallTime scannedAt;
    bool isAccessibilityTrusted = false;

    friend bool operator==(const TessalineScanStatus&, const TessalineScanStatus&) = default;

    static TessalineScanStatus make(const ScanSnapshot& snapshot, bool isAccessibilityTrusted);
};

} // namespace Parlowen
