#pragma once

#include "core/ActionAttemptPlanner.h"
#include "core/MenuOpenPipelineAttempts.h"
#include "core/MenuOpenPipelineItem.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace QelCore {

// The outcome of one menu-open run: every attempt, and the item the run ended on (the revealed
// item when the post-reveal phase ran, else the item given).
template <typename Item> struct MenuOpenPipelineResult : MenuOpenPipelineAttempts {
    MenuOpenPipelineItem<Item> finalItem;
};

// The order in which one item's menu is tried, when the run stops and how every try is recorded.
// The pipeline performs no Accessibility call, event or wait itself: the four executors do, on
// the caller's thread, one at a time. Every log an executor returns is tagged with the phase and
// index the executor was given.
namespace MenuOpenPipeline {

using DismissOpenMenus = std::function<void()>;
template <typename Item>
using ExecuteAXAction =
    std::function<ActionAttemptLog(const std::string& action, const MenuOpenPipelineItem<Item>&,
                                   MenuOpenPipelinePhase, std::int64_t attemptIndex)>;
template <typename Item>
using PerformCoordinateClick =
    std::function<ActionAttemptLog(CGPoint point, const MenuOpenPipelineItem<Item>&,
                                   MenuOpenPipelinePhase, std::int64_t attemptIndex)>;
template <typename Item>
using RevealItem = std::function<MenuOpenPipelineRevealResult<Item>(
    const MenuOpenPipelineItem<Item>&, std::int64_t attemptIndex)>;

namespace detail {

// Accessibility actions (each retried once at once after a transient error), then a coordinate
// click: preceded by a dismissal when an action was accepted without an observed opening, and
// repeated once when it was posted, nothing was seen and no action had been accepted. Appends to
// `attempts` and advances `nextAttemptIndex`.
template <typename Item>
void runLightweightAttempts(const MenuOpenPipelineItem<Item>& item, MenuOpenPipelinePhase phase,
                            std::vector<ActionAttemptLog>& attempts, std::int64_t& nextAttemptIndex,
                            const DismissOpenMenus& dismissOpenMenus,
                            const ExecuteAXAction<Item>& executeAXAction,
                            const PerformCoordinateClick<Item>& performCoordinateClick) {
    using namespace ActionAttemptPlanner;
    const auto record = [&](const ActionAttemptLog& log) {
        attempts.push_back(log.tagged(phase, nextAttemptIndex++));
        return attempts.back();
    };
    const auto opened = [](const ActionAttemptLog& log) {
        return log.result == observedOpenResult;
    };

    bool axActionAccepted = false;
    for (const auto& name : preferredActions(item.actions)) {
        const auto first = record(executeAXAction(name, item, phase, nextAttemptIndex));
        if (opened(first)) {
            return;
        }
        if (first.errorCode == 0) {
            axActionAccepted = true;
            continue;
        }
        if (!isTransientFailure(first.errorCode)) {
            continue;
        }
        const auto retry = record(executeAXAction(name, item, phase, nextAttemptIndex)
                                      .withAction(renamedActionForRetry(name)));
        if (opened(retry)) {
            return;
        }
        axActionAccepted = axActionAccepted || retry.errorCode == 0;
    }
    if (std::any_of(attempts.begin(), attempts.end(), opened)) {
        return;
    }
    const auto point = axClickPoint(item.position, item.size);
    if (!point) {
        return;
    }
    if (axActionAccepted) {
        dismissOpenMenus();
    }
    const auto click = record(performCoordinateClick(*point, item, phase, nextAttemptIndex));
    if (opened(click) || click.errorCode != 0 || axActionAccepted) {
        return;
    }
    record(performCoordinateClick(*point, item, phase, nextAttemptIndex)
               .withAction(std::string(coordinateClickRetryActionName)));
}

} // namespace detail

// Light attempts on the item; for an item hidden behind the notch or pushed off screen that
// did not open, one reveal and the same light attempts on the revealed item. Stops at the first
// attempt whose opening is observed.
template <typename Item>
MenuOpenPipelineResult<Item> run(const MenuOpenPipelineItem<Item>& item,
                                 const DismissOpenMenus& dismissOpenMenus,
                                 const ExecuteAXAction<Item>& executeAXAction,
                                 const PerformCoordinateClick<Item>& performCoordinateClick,
                                 const RevealItem<Item>& revealItem) {
    MenuOpenPipelineResult<Item> result{{}, item};
    std::int64_t nextAttemptIndex = 0;
    detail::runLightweightAttempts(item, MenuOpenPipelinePhase::lightweight, result.attempts,
                                   nextAttemptIndex, dismissOpenMenus, executeAXAction,
                                   performCoordinateClick);
    if (result.observedOpen() ||
        !ActionAttemptPlanner::requiresVisibilityReveal(item.classification)) {
        return result;
    }
    auto reveal = revealItem(item, nextAttemptIndex);
    result.attempts.push_back(
        reveal.attempt.tagged(MenuOpenPipelinePhase::visibilityReveal, nextAttemptIndex++));
    if (!reveal.revealedItem ||
        ActionAttemptPlanner::requiresVisibilityReveal(reveal.revealedItem->classification)) {
        return result;
    }
    result.finalItem = std::move(*reveal.revealedItem);
    detail::runLightweightAttempts(result.finalItem, MenuOpenPipelinePhase::postReveal,
                                   result.attempts, nextAttemptIndex, dismissOpenMenus,
                                   executeAXAction, performCoordinateClick);
    return result;
}

} // namespace MenuOpenPipeline

} // namespace QelCore
