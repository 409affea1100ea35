#pragma once

#include "core/MenuOpenPipelineItem.h"
#include "runtime/RuntimeAXMenuBarItemRecord.h"

#include <string>

namespace QelRuntime {

// How the library names one item across scans: the six texts exactly as the record holds them
// (no version tag, no folding, no display-name resolution, no legacy form). Two records name the
// same item exactly when all six fields are equal; the fields are compared one by one, so a "|"
// inside a field can never make two different items look alike.
struct RuntimeItemIdentity {
    // The empty text when the record has none.
    std::string bundleIdentifier;
    // The source hint's raw value.
    std::string source;
    std::string appName;
    std::string title;
    std::string role;
    std::string subrole;

    static RuntimeItemIdentity of(const RuntimeAXMenuBarItemRecord& record);

    // The six fields joined by "|", bundle identifier first: the key as it is shown.
    std::string text() const;

    friend bool operator==(const RuntimeItemIdentity&, const RuntimeItemIdentity&) = default;
};

// The pipeline's item for a record: its id is the bundle identifier ("unknown" when nil), "|",
// the source hint's raw value, "|" and the title.
QelCore::MenuOpenPipelineItem<RuntimeAXMenuBarItemRecord>
pipelineItem(const RuntimeAXMenuBarItemRecord& record);

} // namespace QelRuntime
