#pragma once

#include "core/MenuOpenEvidenceSource.h"
#include "core/RawValue.h"

namespace QelCore {

// Whether an opened menu answers the arrow keys. Stored as "true", "false" and "unknown".
enum class MenuKeyboardNavigability { keyboardNavigable, notKeyboardNavigable, unknown };

template <> struct RawValues<MenuKeyboardNavigability> {
    using enum MenuKeyboardNavigability;
    static constexpr std::array<std::pair<MenuKeyboardNavigability, std::string_view>, 3> table{{
        {keyboardNavigable, "true"},
        {notKeyboardNavigable, "false"},
        {unknown, "unknown"},
    }};
};

// What the kind of evidence tells about keyboard navigation of a menu that was seen opening.
MenuKeyboardNavigability inferKeyboardNavigability(bool openObserved,
                                                   MenuOpenEvidenceSource evidenceSource);

} // namespace QelCore
