#pragma once

#include "core/ScreenSnapshot.h"
#include "core/VisibilityClassification.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The vocabulary and the small decisions of menu opening: action names, reveal result texts,
// which Accessibility actions are tried and in what order, retries, click points and when an
// item needs a visibility reveal. Pure functions, callable from any thread.
namespace QelCore::ActionAttemptPlanner {

inline constexpr std::string_view axPressActionName = "AXPress";
inline constexpr std::string_view axShowMenuActionName = "AXShowMenu";
inline constexpr std::string_view coordinateClickActionName = "CoordinateClick";
inline constexpr std::string_view coordinateClickRetryActionName = "CoordinateClickRetry";
inline constexpr std::string_view visibilityRevealActionName = "VisibilityReveal";

inline constexpr std::string_view observedOpenResult = "observed-open";
inline constexpr std::string_view noSupportedActionResult = "no-supported-action";
inline constexpr std::string_view visibilityRevealMovedIntoViewResult = "moved-into-view";
inline constexpr std::string_view visibilityRevealNeighborDisplacementMovedIntoViewResult =
    "neighbor-displacement-moved-into-view";
inline constexpr std::string_view visibilityRevealRequiresMoveIntoViewResult =
    "requires-move-into-view";
inline constexpr std::string_view visibilityRevealNoPlanResult = "no-visible-reveal-target";
inline constexpr std::string_view visibilityRevealMoveFailedResult = "move-failed";
inline constexpr std::string_view visibilityRevealMovePostedUnconfirmedResult =
    "move-posted-unconfirmed";
// Items sharing the target's identity could not be told apart: neither its element nor its
// place among them names one, so nothing stands for it.
inline constexpr std::string_view visibilityRevealAmbiguousTargetResult = "ambiguous-reveal-target";

// The only Accessibility actions ever tried, in the order they are tried.
inline constexpr std::array<std::string_view, 2> preferredActionPriority{axPressActionName,
                                                                         axShowMenuActionName};
// The Accessibility error of an operation that could not complete; retried once at once.
inline constexpr std::array<std::int32_t, 1> transientFailureErrorCodes{-25204};
inline constexpr int retryDelayMilliseconds = 100;

// Of the advertised action names, "AXPress" and "AXShowMenu" in priority order (exact,
// case-sensitive match; duplicates give one entry).
std::vector<std::string> preferredActions(const std::vector<std::string>& advertisedActions);

bool isTransientFailure(std::int32_t errorCode);

// "AXPress" becomes "AXPress+retry".
std::string renamedActionForRetry(std::string_view action);

// A logged action name folded back to its base action; unknown names come back unchanged.
std::string normalizedActionName(std::string_view action);

// The centre of the rectangle; none when it is absent, null, empty or not finite.
std::optional<CGPoint> coordinateClickPoint(const std::optional<CGRect>& rect);

// The centre of an Accessibility position and size, in the position's coordinates; none when
// either is absent, the size is not positive or a result would not be finite.
std::optional<CGPoint> axClickPoint(const std::optional<CGPoint>& position,
                                    const std::optional<CGSize>& size);

// True for items hidden behind the notch or pushed off screen.
bool requiresVisibilityReveal(VisibilityClassification classification);

} // namespace QelCore::ActionAttemptPlanner
