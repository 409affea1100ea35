#include "core/MenuKeyboardNavigability.h"

namespace QelCore {

MenuKeyboardNavigability inferKeyboardNavigability(bool openObserved,
                                                   MenuOpenEvidenceSource evidenceSource) {
    if (!openObserved) {
        return MenuKeyboardNavigability::unknown;
    }
    switch (evidenceSource) {
    case MenuOpenEvidenceSource::axMenuOpened:
    case MenuOpenEvidenceSource::axChildrenDiff:
        return MenuKeyboardNavigability::keyboardNavigable;
    case MenuOpenEvidenceSource::windowServerDiff:
        // A menu seen only as a window is usually a custom view without keyboard handling.
        return MenuKeyboardNavigability::notKeyboardNavigable;
    case MenuOpenEvidenceSource::axWindowCreated:
    case MenuOpenEvidenceSource::none:
        break;
    }
    return MenuKeyboardNavigability::unknown;
}

} // namespace QelCore
