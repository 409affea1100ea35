#include "Parlowen/Opening/CompatibilityStore.h"

#include "Parlowen/Items/AXMenuBarItemRecord.h"
#include "Parlowen/Items/StoredMenuBarItem.h"
#include "Parlowen/Settings/StoredJSONList.h"

#include <algorithm>
#include <limits>

namespace Parlowen {

namespace {

using QelCore::MenuKeyboardNavigability;

// Counters never wrap, however long the history.
void raise(std::int64_t& counter) {
    if (counter < std::numeric_limits<std::int64_t>::max()) {
        ++counter;
    }
}

void count(CompatibilityRecord& record, CompatibilityAttemptOutcome outcome) {
    switch (outcome) {
    case CompatibilityAttemptOutcome::observedOpen:
        raise(record.observedOpenCount);
        record.lastOutcome = CompatibilityLabel::worksWell;
        return;
    case CompatibilityAttemptOutcome::actionSent:
        raise(record.actionSentCount);
        record.lastOutcome = CompatibilityLabel::actionSentVisualConfirmationLimited;
        return;
    case CompatibilityAttemptOutcome::actionSentWhileObstructed:
        raise(record.actionSentCount);
        record.lastOutcome = CompatibilityLabel::requiresMoveIntoView;
        return;
    case CompatibilityAttemptOutcome::failed:
        raise(record.failureCount);
        record.lastOutcome = CompatibilityLabel::notSupportedYet;
        return;
    }
}

void count(CompatibilityRecord& record, MenuKeyboardNavigability navigability) {
    record.lastKeyboardNavigability = navigability;
    switch (navigability) {
    case MenuKeyboardNavigability::keyboardNavigable:
        raise(record.keyboardNavigableCount);
        return;
    case MenuKeyboardNavigability::notKeyboardNavigable:
        raise(record.keyboardNotNavigableCount);
        return;
    case MenuKeyboardNavigability::unknown:
        raise(record.keyboardUnknownCount);
        return;
    }
}

} // namespace

CompatibilityStore::CompatibilityStore(std::shared_ptr<platform::UserDefaults> defaults)
    : defaults(std::move(defaults)) {}

CompatibilityStore& CompatibilityStore::shared() {
    static CompatibilityStore instance(platform::UserDefaults::standard());
    return instance;
}

void CompatibilityStore::record(const AXMenuBarItemRecord& item,
                                CompatibilityAttemptOutcome outcome,
                                MenuKeyboardNavigability keyboardNavigability, Date at) {
    CompatibilityRecord attempted;
    attempted.identity = MenuBarItemStableIdentity::of(item);
    attempted.appName = item.appName;
    attempted.displayName = StoredMenuBarItem::displayName(item);
    attempted.lastAttemptedAt = at;
    StoredJSONList::updateEntries<CompatibilityRecord>(
        *defaults, key, [attempted, outcome, keyboardNavigability](auto& records) {
            // Exact keys only: a legacy version-1 record is left as it stands.
            const auto sameIdentity = [&](const CompatibilityRecord& record) {
                return record.identity == attempted.identity;
            };
            CompatibilityRecord updated = attempted;
            if (const auto existing = std::find_if(records.begin(), records.end(), sameIdentity);
                existing != records.end()) {
                updated = *existing;
                updated.appName = attempted.appName;
                updated.displayName = attempted.displayName;
                updated.lastAttemptedAt = attempted.lastAttemptedAt;
            }
            count(updated, outcome);
            count(updated, keyboardNavigability);
            std::erase_if(records, sameIdentity);
            records.push_back(std::move(updated));
            std::stable_sort(records.begin(), records.end(), [](const auto& a, const auto& b) {
                return a.lastAttemptedAt > b.lastAttemptedAt;
            });
        });
}

std::optional<CompatibilityAttemptOutcome>
compatibilityOutcome(QuickOpenActionOutcome outcome,
                     QelCore::VisibilityClassification classification) {
    using enum QelCore::VisibilityClassification;
    switch (outcome) {
    case QuickOpenActionOutcome::observedOpen:
        return CompatibilityAttemptOutcome::observedOpen;
    case QuickOpenActionOutcome::actionSent:
        return classification == hiddenBehindNotch || classification == pushedOffscreen
                   ? CompatibilityAttemptOutcome::actionSentWhileObstructed
                   : CompatibilityAttemptOutcome::actionSent;
    case QuickOpenActionOutcome::failed:
        return CompatibilityAttemptOutcome::failed;
    case QuickOpenActionOutcome::opening:
        break;
    }
    return std::nullopt;
}

} // namespace Parlowen
