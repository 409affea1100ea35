#pragma once

#include "Parlowen/Opening/CompatibilityRecord.h"
#include "Parlowen/Opening/QuickOpenActionOutcome.h"
#include "core/MenuKeyboardNavigability.h"
#include "core/VisibilityClassification.h"
#include "platform/UserDefaults.h"

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace Parlowen {

struct AXMenuBarItemRecord;

// How one open request ended, as the compatibility memory counts it.
enum class CompatibilityAttemptOutcome {
    observedOpen,
    actionSent,
    actionSentWhileObstructed,
    failed
};

// What the compatibility memory counts for a Quick Open outcome of an item with that
// classification: a sent action for an item out of view needed the move into view. None while
// the request is still opening.
std::optional<CompatibilityAttemptOutcome>
compatibilityOutcome(QuickOpenActionOutcome outcome,
                     QelCore::VisibilityClassification classification);

// Per item, how opening it has gone: kept in the user defaults as a JSON array, one record per
// version-2 identity, newest first, never trimmed. Only `record` reads the array back. Main
// thread only.
class CompatibilityStore {
public:
    static constexpr std::string_view key = "quickOpen.compatibilityRecords";

    explicit CompatibilityStore(std::shared_ptr<platform::UserDefaults> defaults);

    // The process-wide store over the standard user defaults.
    static CompatibilityStore& shared();

    // Counts the outcome and the navigability on the item's record (made when missing), dates it
    // `at`, and saves the whole array sorted newest first (stable, so the updated record comes
    // after others of the same date), in one read-modify-write of the stored list. Stored
    // entries that cannot be decoded are kept after the others; a stored value that is no
    // array at all is kept under a backup key before it is replaced.
    void record(const AXMenuBarItemRecord& item, CompatibilityAttemptOutcome outcome,
                QelCore::MenuKeyboardNavigability keyboardNavigability, Date at);

private:
    std::shared_ptr<platform::UserDefaults> defaults;
};

} // namespace Parlowen
