#pragma once

#include "Parlowen/Items/MenuBarItemStableIdentity.h"
#include "Parlowen/Items/ReferenceDate.h"
#include "core/MenuKeyboardNavigability.h"
#include "core/RawValue.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace Parlowen {

// The last verdict on opening an item, stored as the case name.
enum class CompatibilityLabel {
    worksWell,
    actionSentVisualConfirmationLimited,
    requiresMoveIntoView,
    notSupportedYet
};

} // namespace Parlowen

template <> struct QelCore::RawValues<Parlowen::CompatibilityLabel> {
    using enum Parlowen::CompatibilityLabel;
    static constexpr std::array<std::pair<Parlowen::CompatibilityLabel, std::string_view>, 4> table{
        {
            {worksWell, "worksWell"},
            {actionSentVisualConfirmationLimited, "actionSentVisualConfirmationLimited"},
            {requiresMoveIntoView, "requiresMoveIntoView"},
            {notSupportedYet, "notSupportedYet"},
        }};
};

namespace Parlowen {

// How opening one item has gone over time.
struct CompatibilityRecord {
    MenuBarItemStableIdentity identity;
    std::string appName;
    std::string displayName;
    CompatibilityLabel lastOutcome = CompatibilityLabel::notSupportedYet;
    Date lastAttemptedAt;
    std::int64_t observedOpenCount = 0;
    std::int64_t actionSentCount = 0;
    std::int64_t failureCount = 0;
    QelCore::MenuKeyboardNavigability lastKeyboardNavigability =
        QelCore::MenuKeyboardNavigability::unknown;
    std::int64_t keyboardNavigableCount = 0;
    std::int64_t keyboardNotNavigableCount = 0;
    std::int64_t keyboardUnknownCount = 0;

    friend bool operator==(const CompatibilityRecord&, const CompatibilityRecord&) = default;

    // One element of the stored array: all twelve keys, in field order.
    nlohmann::ordered_json toJson() const;
    // None unless the first eight fields are present with their types; the keyboard fields may
    // be missing (or null) and then read as unknown and 0.
    static std::optional<CompatibilityRecord> fromJson(const nlohmann::json& json);
};

} // namespace Parlowen
