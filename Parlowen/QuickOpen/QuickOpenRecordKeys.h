#pragma once

#include "Parlowen/Items/MenuBarItemStableIdentity.h"

#include <memory>
#include <string>
#include <vector>

namespace Parlowen {

struct AXMenuBarItemRecord;

// What the Quick Open list derives from a record's names alone: its identities, the key that
// orders it by display name, its search fields and whether it is a generic system entry. These
// cost Unicode folding, transliteration and collation, so they are kept per distinct set of
// names and reused by every later list and keystroke; a change of the current locale starts the
// cache afresh. Thread-safe.
struct QuickOpenRecordKeys {
    MenuBarItemStableIdentity v2;
    MenuBarItemStableIdentity v1;
    // The display name's collation key for a localized, case-insensitive comparison: two names
    // order as their keys compare bytewise.
    std::string displayNameSortKey;
    // Folded, non-empty and distinct (see QuickOpenSearchMatcher::searchableFields).
    std::vector<std::string> searchFields;
    // A Control Center or system UI server entry without a specific title.
    bool isGenericSystemEntry = false;

    // The keys of each record, in order.
    static std::vector<std::shared_ptr<const QuickOpenRecordKeys>>
    of(const std::vector<const AXMenuBarItemRecord*>& records);
};

} // namespace Parlowen
